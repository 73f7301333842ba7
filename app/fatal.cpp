#include "app/fatal.h"
