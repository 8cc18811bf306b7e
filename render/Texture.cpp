#include "render/Texture.h"

#include <GL/glew.h>
#include <FreeImage.h>

#include <algorithm>
#include <iostream>
#include <vector>

namespace {

struct CachedImage {
    std::string path;
    // Null when the file could not be decoded: the failure is remembered as well.
    FIBITMAP* bitmap = nullptr;
};

bool decodeCacheOpen = false;
std::vector<CachedImage> decodeCache;
bool imageLibraryStarted = false;
// Whether the decoders we do not want are switched off in the library's current plugin list.
bool formatsRestricted = false;

// The decoders we ship data for; switching the others off keeps rarely used and poorly hardened
// parsers away from whatever file a material names.
void restrictImageFormats() {
    if (formatsRestricted) {
        return;
    }
    formatsRestricted = true;
    const int count = FreeImage_GetFIFCount();
    for (int i = 0; i < count; ++i) {
        const auto format = static_cast<FREE_IMAGE_FORMAT>(i);
        const bool wanted = format == FIF_BMP || format == FIF_JPEG || format == FIF_PNG ||
                            format == FIF_TARGA || format == FIF_TIFF;
        FreeImage_SetPluginEnabled(format, wanted ? TRUE : FALSE);
    }
}

bool sizeAccepted(unsigned int width, unsigned int height) {
    GLint driverLimit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &driverLimit);
    const unsigned int limit =
        static_cast<unsigned int>(std::min(maxImageSide, std::max(driverLimit, 1)));
    return width > 0 && height > 0 && width <= limit && height <= limit;
}

// Converts any decoded image to 8-bit blue, green, red triples; takes ownership of the input.
FIBITMAP* to24BitColour(FIBITMAP* image) {
    if (FreeImage_GetImageType(image) == FIT_BITMAP && FreeImage_GetBPP(image) == 24) {
        return image;
    }
    FIBITMAP* source = image;
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(image);
    // 24-bit conversion reads ordinary bitmaps and 16-bit-per-channel colour; every other sample
    // type (16-bit grey, float, ...) is first scaled to an 8-bit standard bitmap.
    if (type != FIT_BITMAP && type != FIT_RGB16 && type != FIT_RGBA16) {
        source = FreeImage_ConvertToStandardType(image, TRUE);
        FreeImage_Unload(image);
        if (source == nullptr) {
            return nullptr;
        }
    }
    FIBITMAP* converted = FreeImage_ConvertTo24Bits(source);
    FreeImage_Unload(source);
    return converted;
}

// Decodes the file into a 24-bit colour bitmap, or returns null when it cannot or must not be.
FIBITMAP* decodeImage(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path, 0);
    if (format == FIF_UNKNOWN || FreeImage_FIFSupportsReading(format) == FALSE) {
        return nullptr;
    }
    // The header alone tells the size, so an oversized image is refused before its pixels are
    // decoded into memory.
    if (FreeImage_FIFSupportsNoPixels(format) == TRUE) {
        FIBITMAP* header = FreeImage_Load(format, path, FIF_LOAD_NOPIXELS);
        if (header == nullptr) {
            return nullptr;
        }
        const bool accepted = sizeAccepted(FreeImage_GetWidth(header), FreeImage_GetHeight(header));
        FreeImage_Unload(header);
        if (!accepted) {
            return nullptr;
        }
    }
    FIBITMAP* image = FreeImage_Load(format, path, 0);
    if (image == nullptr) {
        return nullptr;
    }
    if (FreeImage_HasPixels(image) == FALSE ||
        !sizeAccepted(FreeImage_GetWidth(image), FreeImage_GetHeight(image))) {
        FreeImage_Unload(image);
        return nullptr;
    }
    image = to24BitColour(image);
    if (image != nullptr && FreeImage_GetBits(image) == nullptr) {
        FreeImage_Unload(image);
        return nullptr;
    }
    return image;
}

// The decoded image for the path; while the cache is open it stays owned by the cache.
FIBITMAP* acquireImage(const char* path) {
    if (!decodeCacheOpen || path == nullptr) {
        return decodeImage(path);
    }
    for (const CachedImage& entry : decodeCache) {
        if (entry.path == path) {
            return entry.bitmap;
        }
    }
    FIBITMAP* image = decodeImage(path);
    decodeCache.push_back(CachedImage{path, image});
    return image;
}

void releaseImage(FIBITMAP* image) {
    if (!decodeCacheOpen && image != nullptr) {
        FreeImage_Unload(image);
    }
}

}  // namespace

void startImageLibrary() {
    if (imageLibraryStarted) {
        return;
    }
    imageLibraryStarted = true;
    // Plugins only: the library is linked, not loaded as a plugin itself.
    FreeImage_Initialise(FALSE);
    // A library that was fully shut down comes back with every decoder on.
    formatsRestricted = false;
}

void stopImageLibrary() {
    if (!imageLibraryStarted) {
        return;
    }
    imageLibraryStarted = false;
    FreeImage_DeInitialise();
    formatsRestricted = false;
}

void beginImageDecodeCache() {
    endImageDecodeCache();
    decodeCacheOpen = true;
}

void endImageDecodeCache() {
    for (CachedImage& entry : decodeCache) {
        if (entry.bitmap != nullptr) {
            FreeImage_Unload(entry.bitmap);
        }
    }
    decodeCache.clear();
    decodeCache.shrink_to_fit();
    decodeCacheOpen = false;
}

unsigned int textureFromFile(const char* path, const std::string& directory) {
    // Images are named relative to the working directory, not to the model.
    (void)directory;
    restrictImageFormats();
    FIBITMAP* image = acquireImage(path);
    GLsizei width = 0;
    GLsizei height = 0;
    const void* pixels = nullptr;
    if (image != nullptr) {
        width = static_cast<GLsizei>(FreeImage_GetWidth(image));
        height = static_cast<GLsizei>(FreeImage_GetHeight(image));
        pixels = FreeImage_GetBits(image);
    }

    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    // FreeImage pads every row to 4 bytes; make sure the upload reads rows the same way.
    GLint previousAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
#if FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR
    const GLenum pixelOrder = GL_BGR;
#else
    const GLenum pixelOrder = GL_RGB;
#endif
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, pixelOrder, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::cout << error << "chainching texturesettings \n";
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    releaseImage(image);
    return id;
}

void applySamplingMode(bool nearest, bool mipmapLinear, bool mipmapping) {
    GLint minFilter = nearest ? GL_NEAREST : GL_LINEAR;
    if (mipmapping) {
        if (mipmapLinear) {
            minFilter = nearest ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
        } else {
            minFilter = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
        }
    }
    const GLint magFilter = nearest ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
}
