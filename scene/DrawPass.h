#pragma once

class Shader;

// Draws the house, the doors, the companion and the current level's objects with the given
// program, after uploading the camera, projection and spot-light uniforms. Serves the shadow pass
// (with the depth program) and the main pass alike; counts what it draws in renderedObjects.
void drawScene(const Shader& shader);

// The same pass, skipping every object but the house whose bounding sphere lies outside the
// player's view frustum. Skipped objects are neither uploaded nor counted.
void drawSceneCulled(const Shader& shader);
