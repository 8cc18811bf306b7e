#pragma once

// Level 3's two statues creep towards the player while the player is not looking at them, faster
// with every hit on the fleeing box. The catch itself is tested at the start of the next frame.

// Moves each unseen statue by one step of dt seconds; a statue that would end within 0.25 of the
// other on both axes keeps its old place.
void moveStatues(float dt);
