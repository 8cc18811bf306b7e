#include "ObjWriter.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace {

// Fixed-point text, with negative zero written as zero so that mirrored geometry gives equal bytes.
std::string number(float value, int decimals) {
    char buf[48] = {0};
    std::snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(value));
    std::string text(buf);
    bool zero = true;
    for (char ch : text) {
        if (ch != '-' && ch != '0' && ch != '.') {
            zero = false;
            break;
        }
    }
    if (zero && !text.empty() && text[0] == '-') {
        text.erase(0, 1);
    }
    return text;
}

// Numbers a line of text by first appearance, so that shared positions are written once.
class LineIndex {
public:
    int add(const std::string& line, std::string& out) {
        auto it = index_.find(line);
        if (it != index_.end()) {
            return it->second;
        }
        int id = static_cast<int>(index_.size()) + 1;
        index_.emplace(line, id);
        out += line;
        return id;
    }

private:
    std::map<std::string, int> index_;
};

bool writeFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

}  // namespace

std::string objText(const std::string& name, const Shape& shape) {
    std::string header =
        "# Velmora world data, made by velmora_worldgen\nmtllib " + name + ".mtl\n";
    std::string positions;
    std::string coords;
    std::string normals;
    std::string faces;
    LineIndex positionIndex;
    LineIndex coordIndex;
    LineIndex normalIndex;
    int group = 0;
    for (const Part& part : shape.parts) {
        if (part.vertices.size() < 3) {
            continue;
        }
        faces += "o " + name + "_" + std::to_string(group++) + "_" + part.material + "\n";
        faces += "usemtl " + part.material + "\n";
        for (std::size_t i = 0; i + 2 < part.vertices.size(); i += 3) {
            faces += "f";
            for (std::size_t k = 0; k < 3; ++k) {
                const Vtx& v = part.vertices[i + k];
                int p = positionIndex.add("v " + number(v.position.x, 5) + " " +
                                              number(v.position.y, 5) + " " +
                                              number(v.position.z, 5) + "\n",
                                          positions);
                int t = coordIndex.add("vt " + number(v.uv.x, 5) + " " + number(v.uv.y, 5) + "\n",
                                       coords);
                int n =
                    normalIndex.add("vn " + number(v.normal.x, 4) + " " + number(v.normal.y, 4) +
                                        " " + number(v.normal.z, 4) + "\n",
                                    normals);
                faces +=
                    " " + std::to_string(p) + "/" + std::to_string(t) + "/" + std::to_string(n);
            }
            faces += "\n";
        }
    }
    return header + positions + coords + normals + faces;
}

std::string mtlText(const Shape& shape) {
    std::string text = "# Velmora world data, made by velmora_worldgen\n";
    std::map<std::string, bool> written;
    for (const Part& part : shape.parts) {
        if (part.vertices.size() < 3 || written.count(part.material) != 0) {
            continue;
        }
        written[part.material] = true;
        text += "\nnewmtl " + part.material + "\n";
        text += "Ka 1.0 1.0 1.0\nKd 1.0 1.0 1.0\nKs 0.3 0.3 0.3\nNs 32.0\nd 1.0\nillum 2\n";
        if (part.material != kMirrorMaterial) {
            text += "map_Kd Textures/" + part.material + ".png\n";
        }
    }
    return text;
}

bool writeObj(const std::string& directory, const std::string& name, const Shape& shape) {
    bool ok = writeFile(directory + "/" + name + ".obj", objText(name, shape));
    return writeFile(directory + "/" + name + ".mtl", mtlText(shape)) && ok;
}
