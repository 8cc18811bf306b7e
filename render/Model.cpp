#include "render/Model.h"

#include <GL/glew.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string_view>

#include "render/Texture.h"

bool shadowPassActive = false;

namespace {

// The centre of the vertices' bounding box, and the largest distance from it to a vertex.
BoundingSphere sphereAround(const std::vector<Mesh>& meshes) {
    BoundingSphere sphere;
    bool any = false;
    glm::vec3 low(0.0f);
    glm::vec3 high(0.0f);
    for (const Mesh& mesh : meshes) {
        for (const Vertex& vertex : mesh.vertices) {
            low = any ? glm::min(low, vertex.position) : vertex.position;
            high = any ? glm::max(high, vertex.position) : vertex.position;
            any = true;
        }
    }
    if (!any) {
        return sphere;
    }
    sphere.centre = 0.5f * (low + high);
    for (const Mesh& mesh : meshes) {
        for (const Vertex& vertex : mesh.vertices) {
            sphere.radius = std::max(sphere.radius, glm::length(vertex.position - sphere.centre));
        }
    }
    return sphere;
}

// The whole file, or what could be read of it. The stream's own reads turn a failure (a folder
// under the name, say) into a stopped stream; reading its buffer directly would throw.
std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
    }
    return text;
}

// Calls `visit` with each line of the text as the importer splits it: a line ends at a line
// feed, a carriage return, a form feed or a zero byte. Stops when `visit` returns false.
template <typename Visit>
void forEachImporterLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const size_t end = text.find_first_of(std::string_view("\n\r\f\0", 4));
        if (!visit(text.substr(0, end))) {
            return;
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// The importer compares its texture keywords in any case once a line reaches them.
bool startsWithAnyCase(std::string_view line, std::string_view prefix) {
    if (line.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Whether the importer reads a number from the word: what it would reject (a word, a lone sign)
// stops the import with an error before anything is written.
bool importerReadsNumber(std::string_view word) {
    if (word.empty()) {
        // Nothing to read counts as 0.
        return true;
    }
    if (word[0] == '+' || word[0] == '-') {
        word.remove_prefix(1);
    }
    if (startsWithAnyCase(word, "inf") || startsWithAnyCase(word, "nan")) {
        return true;
    }
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return (!word.empty() && digit(word[0])) ||
           (word.size() > 1 && (word[0] == '.' || word[0] == ',') && digit(word[1]));
}

// The texture keywords whose statements the importer writes into the current material.
constexpr std::string_view writtenTextureKeywords[] = {
    "map_kd", "map_ka", "map_ks",   "map_d", "map_emissive", "map_ke", "map_bump", "bump",
    "map_kn", "norm",   "map_disp", "disp",  "map_ns",       "map_pr", "map_pm",   "map_ps"};

// Whether the importer, reading the line before any material exists, writes into the material it
// never made, which crashes it: an anisotropy ("a" and a number, or nothing) or a texture
// statement it recognises. It tells the statements apart by their first letters, in this case.
bool crashesWithoutMaterial(std::string_view line) {
    if (line.empty()) {
        return false;
    }
    const char first = line[0];
    if (first == 'a') {
        const std::string_view rest = line.substr(1);
        const size_t start = std::min(rest.find_first_not_of(" \t"), rest.size());
        const size_t end = std::min(rest.find_first_of(" \t", start), rest.size());
        return importerReadsNumber(rest.substr(start, end - start));
    }
    const bool readsTexture = first == 'm' || first == 'b' || startsWith(line, "disp") ||
                              ((first == 'n' || first == 'N') && startsWith(line.substr(1), "o"));
    if (!readsTexture) {
        return false;
    }
    for (const std::string_view keyword : writtenTextureKeywords) {
        if (startsWithAnyCase(line, keyword)) {
            return true;
        }
    }
    return false;
}

// Whether a material library has a statement the importer crashes on before its first material,
// so a model that reads it is refused instead. The importer makes a material at a line whose
// first letter is "n" or "N" and second "e" ("newmtl"); indented statements it skips. It reads a
// library without its UTF-8 byte-order mark (a model file with its mark), and fails the whole
// import without reading a statement when the library is shorter than 8 bytes.
bool setsTextureBeforeAnyMaterial(const std::string& libraryPath) {
    const std::string text = fileText(libraryPath);
    constexpr size_t shortestLibraryRead = 8;
    if (text.size() < shortestLibraryRead) {
        return false;
    }
    std::string_view library(text);
    if (library.starts_with("\xEF\xBB\xBF")) {
        library.remove_prefix(3);
    }
    bool unsafe = false;
    forEachImporterLine(library, [&unsafe](std::string_view line) {
        if ((startsWith(line, "n") || startsWith(line, "N")) && startsWith(line.substr(1), "e")) {
            return false;
        }
        unsafe = crashesWithoutMaterial(line);
        return !unsafe;
    });
    return unsafe;
}

// The material library of the model that would crash the importer, or "" when none does. Like
// the importer, each "mtllib" line names one file (the rest of the line) in the model's folder,
// and a name that is not there falls back to the model's own name with ".mtl".
std::string crashingMaterialLibrary(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const size_t dot = path.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string ownLibrary = (hasExtension ? path.substr(0, dot) : path) + ".mtl";
    std::string crashing;
    forEachImporterLine(fileText(path), [&](std::string_view line) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || !startsWith(line.substr(start), "mtllib")) {
            return true;
        }
        const size_t nameStart = line.find_first_not_of(" \t", start + 6);
        const size_t nameEnd = line.find_last_not_of(" \t");
        if (nameStart == std::string_view::npos || nameEnd < nameStart) {
            return true;
        }
        std::string library = folder + std::string(line.substr(nameStart, nameEnd - nameStart + 1));
        if (!std::ifstream(library).good()) {
            library = ownLibrary;
        }
        if (setsTextureBeforeAnyMaterial(library)) {
            crashing = library;
            return false;
        }
        return true;
    });
    return crashing;
}

}  // namespace

Model::Model(const std::string& path, Shader* program) : shader(program) {
    loadModel(path);
}

void Model::draw() {
    GLint currentProgram = 0;
    if (!shadowPassActive) {
        glGetIntegerv(GL_CURRENT_PROGRAM, &currentProgram);
    }
    draw(static_cast<unsigned int>(currentProgram));
}

void Model::draw(unsigned int currentProgram) {
    draw(currentProgram, nullptr);
}

void Model::draw(unsigned int currentProgram, const ClipVolume* clip) {
    if (shadowPassActive) {
        for (const Mesh& mesh : meshes) {
            mesh.drawTriangles(clip);
        }
        return;
    }
    for (Mesh& mesh : meshes) {
        mesh.draw(mipmapLinear, nearest, mipmapping, currentProgram, clip);
    }
}

void Model::loadModel(const std::string& path) {
    const std::string badLibrary = crashingMaterialLibrary(path);
    if (!badLibrary.empty()) {
        std::cout << "ERROR::ASSIMP:: " << badLibrary
                  << " sets a texture or the anisotropy before its first material" << std::endl;
        return;
    }
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, aiProcess_Triangulate | aiProcess_FlipUVs);
    // The incomplete flag alone marks a failed import; together with other flags it does not.
    if (scene == nullptr || scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE ||
        scene->mRootNode == nullptr) {
        std::cout << "ERROR::ASSIMP:: " << importer.GetErrorString() << std::endl;
        return;
    }
    directory = path.substr(0, path.find_last_of('/'));
    processNode(scene->mRootNode, scene);
    bounds = sphereAround(meshes);
}

void Model::processNode(const aiNode* node, const aiScene* scene) {
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        const unsigned int meshIndex = node->mMeshes[i];
        if (meshIndex < scene->mNumMeshes && scene->mMeshes[meshIndex] != nullptr) {
            meshes.push_back(processMesh(scene->mMeshes[meshIndex], scene));
        }
    }
    for (unsigned int i = 0; i < node->mNumChildren; ++i) {
        if (node->mChildren[i] != nullptr) {
            processNode(node->mChildren[i], scene);
        }
    }
}

Mesh Model::processMesh(const aiMesh* mesh, const aiScene* scene) {
    std::vector<Vertex> vertices;
    vertices.reserve(mesh->mNumVertices);
    const aiVector3D* texCoords = mesh->mTextureCoords[0];
    for (unsigned int i = 0; i < mesh->mNumVertices; ++i) {
        Vertex vertex;
        vertex.position =
            glm::vec3(mesh->mVertices[i].x, mesh->mVertices[i].y, mesh->mVertices[i].z);
        // A file without normals or texture coordinates leaves them at zero.
        if (mesh->mNormals != nullptr) {
            vertex.normal =
                glm::vec3(mesh->mNormals[i].x, mesh->mNormals[i].y, mesh->mNormals[i].z);
        }
        if (texCoords != nullptr) {
            vertex.texCoords = glm::vec2(texCoords[i].x, texCoords[i].y);
        }
        vertices.push_back(vertex);
    }

    std::vector<unsigned int> indices;
    for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        if (face.mIndices == nullptr) {
            continue;
        }
        // A face naming a vertex the mesh does not have is dropped whole, so the upload never
        // points past the vertex buffer and the following triangles keep their corners.
        bool inRange = true;
        for (unsigned int k = 0; k < face.mNumIndices; ++k) {
            inRange = inRange && face.mIndices[k] < mesh->mNumVertices;
        }
        if (!inRange) {
            continue;
        }
        indices.insert(indices.end(), face.mIndices, face.mIndices + face.mNumIndices);
    }

    std::vector<Texture> textures;
    if (mesh->mMaterialIndex < scene->mNumMaterials &&
        scene->mMaterials[mesh->mMaterialIndex] != nullptr) {
        const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
        textures = loadMaterialTextures(material, aiTextureType_DIFFUSE, "texture_diffuse");
        std::vector<Texture> specular =
            loadMaterialTextures(material, aiTextureType_SPECULAR, "texture_specular");
        textures.insert(textures.end(), specular.begin(), specular.end());
    }
    return Mesh(std::move(vertices), std::move(indices), std::move(textures), shader);
}

std::vector<Texture> Model::loadMaterialTextures(const aiMaterial* material, int textureType,
                                                 const std::string& typeName) {
    std::vector<Texture> result;
    const auto type = static_cast<aiTextureType>(textureType);
    const unsigned int count = aiGetMaterialTextureCount(material, type);
    for (unsigned int i = 0; i < count; ++i) {
        // A name that cannot be read stays empty and yields an empty texture, like a missing file.
        aiString file;
        aiGetMaterialTexture(material, type, i, &file);
        bool cached = false;
        for (const Texture& loaded : texturesLoaded) {
            if (std::strcmp(loaded.path.C_Str(), file.C_Str()) == 0) {
                result.push_back(loaded);
                cached = true;
                break;
            }
        }
        if (cached) {
            continue;
        }
        Texture texture;
        texture.id = textureFromFile(file.C_Str(), directory);
        texture.type = typeName;
        texture.path = file;
        result.push_back(texture);
        texturesLoaded.push_back(texture);
    }
    return result;
}
