// Must not compile: the macro subsystem sits below the profile subsystem.
#include "profile/DM.h"
