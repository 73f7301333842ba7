#include "ui/toolkit.h"
