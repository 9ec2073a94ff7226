// Must not compile: the profile manager sits below the application, so the application's headers
// are not in its reach.
#include "app/VantoMonExMain.h"
