#include "app/examstate.h"
