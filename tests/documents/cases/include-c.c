#include <sys/typez.h>
#include "local_heder.h" // a commment after it
  #  include_next "nexxt.h"
#import "objcc.h"
/* Use #include <glibz.h> or #include "myheder.h" in your code.
 * #include <sys/stat.h> starts a line of the comment. */
const char* s = "include \"strng\"";
#define MSG "a strng"
