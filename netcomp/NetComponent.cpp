#include "NetComponent.h"
