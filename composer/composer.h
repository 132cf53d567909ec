#pragma once
// The composer's public interface in one include: the view it works through,
// the state and its composition, the refresh cycle (StartComposer, ToggleBit
// then Refresh) and the display texts, labels and captions.
#include "composer/composer_state.h"
#include "composer/composer_view.h"
#include "composer/display_texts.h"
#include "composer/field_labels.h"
#include "composer/refresh.h"
