// A software preview of the generated world: draws the models with their placements through a
// z-buffer rasteriser, lit by a lamp at the eye, and writes a PNG. A development aid for judging
// the data without a GPU; the game's own renderer is the reference.
//
// velmora_worldpreview OUT.png LEVEL EYE_X EYE_Y EYE_Z DIR_X DIR_Y DIR_Z [WIDTH HEIGHT]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "Image.h"
#include "Textures.h"
#include "World.h"
#include "game/Layout.h"

namespace {

struct Draw {
    std::string model;
    const glm::mat4* matrix;
};

std::vector<Draw> drawList(int level) {
    std::vector<Draw> list = {
        {"finished_houseWG", &houseTransform},
        {"door", &doorTransform8},
        {"door", &doorTransform2},
        {"door", &doorTransform4},
        {"door", &doorTransform3},
        {"door", &doorTransform9},
        {"door", &doorTransform6},
        {"door", &doorTransform5},
        {"door", &doorTransform1},
        {"door", &doorTransform7},
        {"playerWOFA", &playerBodyTransform},
        {"blume", &flowerTransform},
        {"arm", &armTransform2},
        {"arm", &armTransform1},
        {"foot", &footTransform2},
        {"foot", &footTransform1},
        {"cubeFCMobj", &envCubeTransform},
    };
    if (level == 1) {
        list.insert(list.end(), {{"box1", &box3Transform},
                                 {"box1-deckel", &box1LidTransform},
                                 {"key1", &key1Transform},
                                 {"Level1_1", &level1Part1Transform},
                                 {"Level1_2", &level1Part2Transform},
                                 {"Level1_3", &level1Part3Transform},
                                 {"Level1_place1", &level1Place1Transform},
                                 {"Level1_place2", &level1Place2Transform},
                                 {"Level1_place3", &level1Place3Transform}});
    } else if (level == 2) {
        list.insert(list.end(), {{"bord", &boardTransform},
                                 {"box1", &box2Transform},
                                 {"box1-deckel", &box2LidTransform},
                                 {"key2", &key2Transform1}});
        for (int t = 0; t < 8; ++t) {
            static const char* names[8] = {"Level2_1", "Level2_2", "Level2_3", "Level2_4",
                                           "Level2_5", "Level2_6", "Level2_7", "Level2_8"};
            list.push_back({names[t], &level2PartTransform[t]});
        }
    } else if (level == 3) {
        list.insert(list.end(), {{"key2", &key2Transform2},
                                 {"box1", &box1Transform},
                                 {"box1-deckel", &box3LidTransform},
                                 {"statue1", &statue1Transform},
                                 {"statue2", &statue2Transform}});
    } else if (level == 4) {
        const glm::mat4* boxes[8] = {&hiddenKeyBox1Transform, &hiddenKeyBox2Transform,
                                     &hiddenKeyBox3Transform, &hiddenKeyBox4Transform,
                                     &hiddenKeyBox5Transform, &hiddenKeyBox6Transform,
                                     &hiddenKeyBox7Transform, &hiddenKeyBox8Transform};
        const glm::mat4* tops[8] = {&hiddenKeyBox1TopTransform, &hiddenKeyBox2TopTransform,
                                    &hiddenKeyBox3TopTransform, &hiddenKeyBox4TopTransform,
                                    &hiddenKeyBox5TopTransform, &hiddenKeyBox6TopTransform,
                                    &hiddenKeyBox7TopTransform, &hiddenKeyBox8TopTransform};
        for (int i = 0; i < 8; ++i) {
            list.push_back({"boxhiddenkey", boxes[i]});
            list.push_back({"boxhiddenkeytop", tops[i]});
        }
        list.insert(list.end(), {{"platte", &plate2Transform},
                                 {"platte", &plate3Transform},
                                 {"platte", &plate4Transform},
                                 {"platte", &plate5Transform},
                                 {"platte", &plate7Transform},
                                 {"platte", &plate8Transform},
                                 {"mittelteil", &middlePart2Transform},
                                 {"mittelteil", &middlePart3Transform},
                                 {"mittelteil", &middlePart4Transform},
                                 {"mittelteil", &middlePart5Transform},
                                 {"mittelteil", &middlePart7Transform},
                                 {"mittelteil", &middlePart8Transform},
                                 {"key1", &extraKeyATransform},
                                 {"key1", &extraKeyBTransform},
                                 {"platte", &plate1Transform},
                                 {"test", &testTransform},
                                 {"Labyrinth", &labyrinthTransform}});
    }
    return list;
}

glm::vec3 sample(const Image& img, glm::vec2 uv) {
    // Mirrored repeat, as the game's textures wrap.
    auto mirror = [](float t) {
        float f = std::fmod(std::fabs(t), 2.0f);
        return f > 1.0f ? 2.0f - f : f;
    };
    int x = std::min(img.width - 1, static_cast<int>(mirror(uv.x) * img.width));
    int y = std::min(img.height - 1, static_cast<int>(mirror(uv.y) * img.height));
    return img.at(x, y);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 9) {
        std::fprintf(stderr, "usage: %s OUT.png LEVEL EX EY EZ DX DY DZ [W H]\n", argv[0]);
        return 2;
    }
    layoutScene();
    int level = std::atoi(argv[2]);
    glm::vec3 eye(std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]));
    glm::vec3 dir(std::atof(argv[6]), std::atof(argv[7]), std::atof(argv[8]));
    int width = argc > 10 ? std::atoi(argv[9]) : 640;
    int height = argc > 10 ? std::atoi(argv[10]) : 480;

    std::map<std::string, Shape> models;
    for (WorldModel& m : buildWorldModels()) {
        models[m.name] = std::move(m.shape);
    }
    std::map<std::string, Image> textures;
    for (TextureImage& t : paintTextures()) {
        textures.emplace(t.material, std::move(t.image));
    }

    glm::mat4 view = glm::lookAt(eye, eye + dir, glm::vec3(0.0f, 1.0f, 0.0f));
    glm::mat4 proj = glm::perspective(2.0f * std::atan(0.5578517f),
                                      static_cast<float>(width) / height, 0.02f, 40.0f);
    Image frame(width, height, glm::vec3(0.45f, 0.6f, 0.85f));
    std::vector<float> depth(static_cast<std::size_t>(width) * height, 1e9f);
    glm::vec3 lampDir = glm::normalize(dir);

    for (const Draw& d : drawList(level)) {
        const Shape& shape = models[d.model];
        glm::mat4 mvp = proj * view * (*d.matrix);
        glm::mat3 nm = glm::transpose(glm::inverse(glm::mat3(*d.matrix)));
        for (const Part& part : shape.parts) {
            // Mirrors reflect the sky: the preview shows them in the palette's steel.
            const Image& tex = textures.at(part.material == "mirror" ? "palette" : part.material);
            for (std::size_t i = 0; i + 2 < part.vertices.size(); i += 3) {
                // Corners in clip space with their world position and texture coordinates,
                // clipped against a near plane so that big floors reaching behind the eye draw.
                struct Corner {
                    glm::vec4 clip;
                    glm::vec3 world;
                    glm::vec2 uv;
                };
                std::vector<Corner> poly;
                for (int k = 0; k < 3; ++k) {
                    const Vtx& v = part.vertices[i + k];
                    poly.push_back({mvp * glm::vec4(v.position, 1.0f),
                                    glm::vec3(*d.matrix * glm::vec4(v.position, 1.0f)), v.uv});
                }
                const float nearW = 0.03f;
                std::vector<Corner> clipped;
                for (std::size_t k = 0; k < poly.size(); ++k) {
                    const Corner& a = poly[k];
                    const Corner& b = poly[(k + 1) % poly.size()];
                    bool ina = a.clip.w >= nearW;
                    bool inb = b.clip.w >= nearW;
                    if (ina) {
                        clipped.push_back(a);
                    }
                    if (ina != inb) {
                        float t = (nearW - a.clip.w) / (b.clip.w - a.clip.w);
                        clipped.push_back({glm::mix(a.clip, b.clip, t),
                                           glm::mix(a.world, b.world, t), glm::mix(a.uv, b.uv, t)});
                    }
                }
                glm::vec3 n = glm::normalize(nm * part.vertices[i].normal);
                for (std::size_t f = 1; f + 1 < clipped.size(); ++f) {
                    const Corner* c[3] = {&clipped[0], &clipped[f], &clipped[f + 1]};
                    glm::vec2 s[3];
                    float iw[3];
                    for (int k = 0; k < 3; ++k) {
                        iw[k] = 1.0f / c[k]->clip.w;
                        s[k] = glm::vec2((c[k]->clip.x * iw[k] * 0.5f + 0.5f) * width,
                                         (0.5f - c[k]->clip.y * iw[k] * 0.5f) * height);
                    }
                    float area = (s[1].x - s[0].x) * (s[2].y - s[0].y) -
                                 (s[2].x - s[0].x) * (s[1].y - s[0].y);
                    if (std::fabs(area) < 1e-9f) {
                        continue;
                    }
                    int x0 = std::max(
                        0, static_cast<int>(std::floor(std::min({s[0].x, s[1].x, s[2].x}))));
                    int x1 = std::min(
                        width - 1, static_cast<int>(std::ceil(std::max({s[0].x, s[1].x, s[2].x}))));
                    int y0 = std::max(
                        0, static_cast<int>(std::floor(std::min({s[0].y, s[1].y, s[2].y}))));
                    int y1 =
                        std::min(height - 1,
                                 static_cast<int>(std::ceil(std::max({s[0].y, s[1].y, s[2].y}))));
                    for (int y = y0; y <= y1; ++y) {
                        for (int x = x0; x <= x1; ++x) {
                            glm::vec2 p(x + 0.5f, y + 0.5f);
                            float w0 = ((s[1].x - p.x) * (s[2].y - p.y) -
                                        (s[2].x - p.x) * (s[1].y - p.y)) /
                                       area;
                            float w1 = ((s[2].x - p.x) * (s[0].y - p.y) -
                                        (s[0].x - p.x) * (s[2].y - p.y)) /
                                       area;
                            float w2 = 1.0f - w0 - w1;
                            if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) {
                                continue;
                            }
                            float pw = w0 * iw[0] + w1 * iw[1] + w2 * iw[2];
                            float z = 1.0f / pw;
                            std::size_t idx = static_cast<std::size_t>(y) * width + x;
                            if (z >= depth[idx]) {
                                continue;
                            }
                            depth[idx] = z;
                            glm::vec2 uv = (w0 * iw[0] * c[0]->uv + w1 * iw[1] * c[1]->uv +
                                            w2 * iw[2] * c[2]->uv) /
                                           pw;
                            glm::vec3 wp = (w0 * iw[0] * c[0]->world + w1 * iw[1] * c[1]->world +
                                            w2 * iw[2] * c[2]->world) /
                                           pw;
                            glm::vec3 toEye = glm::normalize(eye - wp);
                            float lambert = std::fabs(glm::dot(n, toEye));
                            float cone = glm::dot(-toEye, lampDir);
                            float spot = glm::smoothstep(0.80f, 0.90f, cone);
                            float fall = 1.0f / (1.0f + 0.08f * glm::dot(eye - wp, eye - wp));
                            float light = 0.3f + 0.9f * lambert * (0.35f + 0.65f * spot) * fall;
                            frame.at(x, y) = sample(tex, uv) * light;
                        }
                    }
                }
            }
        }
    }
    return writePng(argv[1], frame) ? 0 : 1;
}
