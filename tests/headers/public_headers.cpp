// The same host code compiled as C++.
#include "public_headers.c"
