#include "punchrecord.h"
