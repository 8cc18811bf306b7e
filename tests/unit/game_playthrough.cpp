// A scripted player through the real rules, frame by frame, played as a person plays it with keys
// and mouse, who turns its back on the statues. The whole game to the win is played through the
// real renderer in playthrough_pictures.cpp.

#include <gtest/gtest.h>

#include "camera/Camera.h"
#include "game/GameState.h"
#include "game/Layout.h"
#include "support/GameDriver.h"
#include "support/Playthrough.h"

TEST(ScriptedPlayer, TurnsItsBackOnTheStatuesAndIsCaught) {
    CoutCapture out;
    GameDriver game;
    ASSERT_NO_FATAL_FAILURE(playLevel1(game));
    ASSERT_NO_FATAL_FAILURE(playLevel2(game));

    // Facing the tower wall, away from the statues, the player waits.
    game.walkTo(-5.1f, -0.5f);
    for (int guard = 0; guard < 60 * 60 && !gameOver; ++guard) {
        game.frame();
    }
    ASSERT_TRUE(gameOver);

    // The world stands still from now on; only the player still moves.
    const glm::mat4 statue1 = statue1Transform;
    const glm::mat4 statue2 = statue2Transform;
    const glm::mat4 companion = playerBodyTransform;
    const glm::vec3 before = playerCamera->position;
    game.walkTo(-4.0f, 0.0f);
    game.lookAt(positionOf(statue1Transform));
    game.run(2.0f);
    EXPECT_GT(glm::distance(playerCamera->position, before), 1.0f);
    EXPECT_EQ(statue1Transform, statue1);
    EXPECT_EQ(statue2Transform, statue2);
    EXPECT_EQ(playerBodyTransform, companion);
    EXPECT_EQ(currentLevel, 3);
    EXPECT_EQ(out.text(), "GAMEOVER2 \n");
}
