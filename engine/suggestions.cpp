#include "suggestions.h"
