// The three panels share one place in the window; the buttons of the bar
// show one and hide the others, and set the lower area's captions for it.
// The window calls these on its buttons; the headless front end calls them
// before it clicks a panel's start button, as a user would have to.
#pragma once

#include "engine/engine.h"

namespace qelvo {

void show_replace_panel(Engine& engine);
// Also empties the running job's list, which ends its workers.
void show_find_panel(Engine& engine);
void show_restore_panel(Engine& engine);

}  // namespace qelvo
