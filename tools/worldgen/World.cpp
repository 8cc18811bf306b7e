#include "World.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "House.h"
#include "ObjWriter.h"
#include "Props.h"
#include "Textures.h"

std::vector<WorldModel> buildWorldModels() {
    std::vector<WorldModel> models;
    models.push_back({"finished_houseWG", buildHouse()});
    models.push_back({"playerWOFA", buildCompanionBody()});
    models.push_back({"foot", buildCompanionLeg()});
    models.push_back({"arm", buildCompanionArm()});
    models.push_back({"blume", buildFlower()});
    models.push_back({"statue1", buildStatue(1)});
    models.push_back({"statue2", buildStatue(2)});
    models.push_back({"box1-deckel", buildRewardLid()});
    models.push_back({"box1", buildRewardBox()});
    models.push_back({"key1", buildKey(1)});
    models.push_back({"key2", buildKey(2)});
    for (int i = 1; i <= 3; ++i) {
        models.push_back({"Level1_" + std::to_string(i), buildPiece(i)});
    }
    models.push_back({"door", buildDoor()});
    for (int i = 1; i <= 3; ++i) {
        models.push_back({"Level1_place" + std::to_string(i), buildPlace(i)});
    }
    models.push_back({"bord", buildBoard()});
    for (int t = 0; t < 8; ++t) {
        models.push_back({"Level2_" + std::to_string(t + 1), buildTile(t)});
    }
    models.push_back({"cubeFCMobj", buildMirrorCube()});
    models.push_back({"Labyrinth", buildLabyrinth()});
    models.push_back({"collisionshapes", buildPlaceholder()});
    models.push_back({"boxhiddenkey", buildHiddenBox()});
    models.push_back({"boxhiddenkeytop", buildHiddenTop()});
    // The plates under the hidden boxes are steel from the palette (plate 1 is drawn by the
    // reflection pass all the same); the test plate is only ever a mirror.
    models.push_back({"platte", buildPlate(0.0f, 0.0f, "palette")});
    models.push_back({"boxhiddenkeymirror", buildPlaceholder()});
    models.push_back({"mittelteil", buildInsert()});
    models.push_back({"test", buildPlate(0.2f, 0.4f, kMirrorMaterial)});
    return models;
}

std::vector<std::string> writeWorld(const std::string& directory, std::string& error) {
    std::vector<std::string> written;
    std::error_code ec;
    std::filesystem::create_directories(directory + "/Meshes", ec);
    std::filesystem::create_directories(directory + "/Textures", ec);
    for (const WorldModel& model : buildWorldModels()) {
        if (!writeObj(directory + "/Meshes", model.name, model.shape)) {
            error = "Meshes/" + model.name + ".obj";
            return written;
        }
        written.push_back("Meshes/" + model.name + ".obj");
        written.push_back("Meshes/" + model.name + ".mtl");
    }
    for (const TextureImage& texture : paintTextures()) {
        std::string path = "Textures/" + texture.material + ".png";
        if (!writePng(directory + "/" + path, texture.image)) {
            error = path;
            return written;
        }
        written.push_back(path);
    }
    if (!writeJpg(directory + "/Textures/newkeystuff.jpg", paintSky(), 90)) {
        error = "Textures/newkeystuff.jpg";
        return written;
    }
    written.push_back("Textures/newkeystuff.jpg");
    // The two folders are the generator's own output: files an older version wrote and this one
    // no longer does are removed, so the game never loads a stale model or image.
    std::set<std::string> keep(written.begin(), written.end());
    for (const char* folder : {"Meshes", "Textures"}) {
        std::vector<std::filesystem::path> stale;
        for (const auto& entry :
             std::filesystem::directory_iterator(directory + "/" + folder, ec)) {
            std::string relative = std::string(folder) + "/" + entry.path().filename().string();
            if (entry.is_regular_file() && keep.count(relative) == 0) {
                stale.push_back(entry.path());
            }
        }
        for (const std::filesystem::path& path : stale) {
            std::filesystem::remove(path, ec);
        }
    }
    return written;
}
