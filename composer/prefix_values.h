#pragma once
// IsPrefixValue and PrefixDescription now live with the composer's state; this
// name stays for the includes that still use it. New code includes
// composer/composer.h.
#include "composer/composer_state.h"
