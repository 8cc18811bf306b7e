// Model loading against the installed importer: a material library that would crash it is refused
// with its error line, and every other model loads as the importer loads it.

#include <GL/glew.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "render/Model.h"
#include "render_fixtures.h"

namespace {

using ModelTest = fixture::GlTest;

// The number of meshes the installed importer reads from the model, in a child process of its
// own; -1 when the import fails, -2 when the importer crashes.
int importerMeshesInChild(const std::string& obj) {
    // The child answers with a status of its own (100 and up); a crash ends it by a signal or,
    // under the address sanitizer, which catches the fault, with the sanitizer's status.
    constexpr int answered = 100;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(obj, aiProcess_Triangulate | aiProcess_FlipUVs);
        _exit(scene == nullptr
                  ? answered
                  : answered + 1 + static_cast<int>(std::min(scene->mNumMeshes, 100u)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) < answered) {
        return -2;
    }
    return WEXITSTATUS(status) - answered - 1;
}

TEST_F(ModelTest, AMaterialLibraryIsRefusedExactlyWhenTheImporterWouldCrashOnIt) {
    // Statements before the library's first material, each tried on the installed importer in a
    // child process: the importer writes some of them into a material it never made. The game
    // refuses exactly those, and every other model loads as the importer loads it.
    struct Library {
        std::string text;
        // The library the model names; one that is not there falls back to the model's own name.
        const char* named = nullptr;
        // The model file saved with a UTF-8 byte-order mark.
        bool markedModel = false;
        // The text is the whole library, with no material after it.
        bool whole = false;
    };
    std::vector<Library> libraries;
    for (const char* text : {"a 0.5", "a", "a\t-inf", "a ,5", "a x", "a -", "aniso 0.5",
                             "anisor 0.5", "A 0.5", "Kd 1 1 1\nNs 10\nillum 2\nd 0.5"}) {
        libraries.push_back({text});
    }
    // Texture statements, with the keyword written in every way the importer may or may not read.
    for (const char* keyword : {"map_Kd", "mAP_ks", "map_d", "map_Pr", "map_Pc", "map_ao", "Map_Kd",
                                "bump", "bUMP", "Bump", "norm", "Norm"}) {
        libraries.push_back({keyword + std::string(" wood.bmp")});
    }
    for (const char* keyword : {"NORM", "disp", "Disp", "dISP", "refl -type sphere", "  map_Kd",
                                "Ne b\nmap_Kd", "# made by hand\rmap_Kd", "# made by hand\fmap_Kd",
                                "\xEF\xBB\xBFnewmtl b\nmap_Kd", "\xEF\xBB\xBFmap_Kd"}) {
        libraries.push_back({keyword + std::string(" wood.bmp")});
    }
    libraries.push_back({"bump stone.bmp", "absent.mtl"});
    libraries.push_back({"map_Kd wood.bmp", nullptr, true});
    // The importer fails on a library shorter than 8 bytes before reading it.
    for (const char* whole : {"a 1\n", "map_Kd\n", "map_Kd \n",
                              "\xEF\xBB\xBF"
                              "a 1\n"}) {
        libraries.push_back({whole, nullptr, false, true});
    }
    int crashes = 0;
    int index = 0;
    for (const Library& row : libraries) {
        const std::string name = "library" + std::to_string(index++);
        SCOPED_TRACE(name + ": " + row.text);
        const std::string library =
            dir.write(name + ".mtl", row.whole ? row.text : row.text + "\nnewmtl a\n");
        const std::string obj = dir.write(
            name + ".obj", (row.markedModel ? "\xEF\xBB\xBF" : "") +
                               fixture::quadObj(row.named ? row.named : name + ".mtl", {"a"}));
        const int importerMeshes = importerMeshesInChild(obj);
        crashes += importerMeshes == -2 ? 1 : 0;
        std::unique_ptr<Model> model;
        const std::string out =
            fixture::stdoutOf([&] { model = std::make_unique<Model>(obj, &samplerShader()); });
        if (importerMeshes == -2) {
            EXPECT_EQ(out, "ERROR::ASSIMP:: " + library +
                               " sets a texture or the anisotropy before its first material\n");
            EXPECT_EQ(model->meshes.size(), 0u);
        } else {
            EXPECT_EQ(out.find("before its first material"), std::string::npos) << out;
            EXPECT_EQ(static_cast<int>(model->meshes.size()), std::max(importerMeshes, 0));
        }
    }
    // The table holds both kinds.
    EXPECT_GT(crashes, 0);
    EXPECT_LT(crashes, index);
}

}  // namespace
