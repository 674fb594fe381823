// Opening and saving picture files. The kind of a file opened is found from its first bytes;
// the kind saved follows the name: ".bmp" a bitmap, ".jpg" or ".jpeg" a JPEG.
//
// Errors: UserException(BadInput) with a message naming the file for a file that is not a
// picture, is damaged or claims an impossible size; SystemException with the system error when
// the file cannot be read or written. A saved file is written whole or not at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "image/kes_image.h"

namespace omni::image {

enum class PictureKind { Bitmap, Jpeg };

// The kind a file name asks for; nullopt-like false when the extension is neither.
bool pictureKindOf(const std::filesystem::path& path, PictureKind& kind);

// Reads a BMP or JPEG file into a BitmapFileImage or JpegFileImage.
std::unique_ptr<KesImage> loadPicture(const std::filesystem::path& path);

// Decodes picture bytes already in memory (a BMP or a JPEG). `name` is used in messages.
std::unique_ptr<KesImage> decodePicture(std::span<const std::uint8_t> bytes,
                                        const std::filesystem::path& name);

// Encodes `image` as the file kind its name asks for and writes it (temporary file in the same
// folder, checked writes, fsync, rename). A JPEG picture saved as JPEG keeps its bytes.
void savePicture(const KesImage& image, const std::filesystem::path& path);

// The file's bytes as a BMP or JPEG.
std::vector<std::uint8_t> encodePicture(const KesImage& image, PictureKind kind);

// Writes `bytes` to `path` whole or not at all.
void writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace omni::image
