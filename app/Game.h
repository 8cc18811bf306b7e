#pragma once

// The whole program: start-up dialogue, window and context, asset set-up, the frame loop and the
// shut-down. Returns 0 after a normal end; every start-up failure exits with status 1.
int runGame(int argc, char** argv);
