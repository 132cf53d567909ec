#pragma once
// StartComposer now lives with the refresh cycle; this name stays for the
// includes that still use it. New code includes composer/composer.h.
#include "composer/refresh.h"
