#pragma once

#include <glm/glm.hpp>

#include "support/GameDriver.h"

// The whole game played level by level through the real rules, as a person plays it: walking and
// turning with keys and mouse, flying up with Q, looking at each thing before clicking it, and
// working the board with its keys. Each level starts where the previous one ended.
void playLevel1(GameDriver& game);
void playLevel2(GameDriver& game);
void playLevel3(GameDriver& game);
void playLevel4(GameDriver& game);

// Called at each milestone of the play (a piece placed, a key rising, a door open, ...), for
// tests that take pictures along the way.
using MilestoneHook = void (*)(const char* name);
void setMilestoneHook(MilestoneHook hook);
