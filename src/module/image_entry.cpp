// Entry points of images and image output settings: handle checks, then one field each.
#include "module/image_info.h"

namespace kes {
namespace {

// Query 5: an image.
ImageInfomation* imageOf(KesHandle handle) {
    KesObject* object = lookUp(handle);
    KesObject* image = object ? object->asImage() : nullptr;
    return static_cast<ImageInfomation*>(image);
}

// Query 6: an image or a set of output settings.
const Kes2DImageProperty* propertyOf(KesHandle handle) {
    KesObject* object = lookUp(handle);
    KesObject* property = object ? object->asImageProperty() : nullptr;
    return dynamic_cast<const Kes2DImageProperty*>(property);
}

// Query 7: a set of output settings.
ImageOutputProperty* outputOf(KesHandle handle) {
    KesObject* object = lookUp(handle);
    KesObject* property = object ? object->asImageOutputProperty() : nullptr;
    return static_cast<ImageOutputProperty*>(property);
}

template <typename Get>
std::int32_t fromImage(KesHandle handle, Get get) {
    const ImageInfomation* image = imageOf(handle);
    return image ? static_cast<std::int32_t>(get(*image)) : 0;
}

template <typename Get>
std::int32_t fromProperty(KesHandle handle, Get get) {
    const Kes2DImageProperty* property = propertyOf(handle);
    return property ? static_cast<std::int32_t>(get(*property)) : -1;
}

template <typename Get>
std::int32_t fromOutput(KesHandle handle, Get get) {
    const ImageOutputProperty* property = outputOf(handle);
    return property ? static_cast<std::int32_t>(get(*property)) : -1;
}

template <typename Set>
void toOutput(KesHandle handle, Set set) {
    if (ImageOutputProperty* property = outputOf(handle)) {
        setStatus(KES_STATE_SUCCESS);
        set(*property);
    }
}

}  // namespace
}  // namespace kes

using namespace kes;

extern "C" {

std::int32_t KesGetImageWidth(KesHandle image) {
    return fromImage(image, [](const ImageInfomation& i) { return i.width(); });
}
std::int32_t KesGetImageHeight(KesHandle image) {
    return fromImage(image, [](const ImageInfomation& i) { return i.height(); });
}
std::int32_t KesGetImageBytesPerLine(KesHandle image) {
    return fromImage(image, [](const ImageInfomation& i) { return i.bytesPerLine(); });
}
std::uint32_t KesGetImageDataSize(KesHandle image) {
    const ImageInfomation* i = imageOf(image);
    return i ? i->dataSize() : 0;
}
const std::uint8_t* KesGetImageData(KesHandle image) {
    ImageInfomation* i = imageOf(image);
    return i ? i->data() : nullptr;
}
const std::uint8_t* KesGetImageHeader(KesHandle image) {
    ImageInfomation* i = imageOf(image);
    return i ? i->headerBytes() : nullptr;
}
std::int32_t KesGetImageHeaderSize(KesHandle image) {
    return imageOf(image) ? static_cast<std::int32_t>(ImageHeader::kSize) : 0;
}
std::int32_t KesIsJpegImage(KesHandle image) {
    return fromImage(image, [](const ImageInfomation& i) { return i.format() == kFormatJpeg; });
}

std::int32_t KesGetTrimLeft(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.trimLeft(); });
}
std::int32_t KesGetTrimTop(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.trimTop(); });
}
std::int32_t KesGetTrimRight(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.trimRight(); });
}
std::int32_t KesGetTrimBottom(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.trimBottom(); });
}
std::int32_t KesGetSubSamplingX(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.subSamplingX(); });
}
std::int32_t KesGetSubSamplingY(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.subSamplingY(); });
}
std::int32_t KesGetBitsPerPixel(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.bitsPerPixel(); });
}
std::int32_t KesGetImageFormat(KesHandle h) {
    return fromProperty(h, [](const Kes2DImageProperty& p) { return p.format(); });
}

void KesSetTrimLeft(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setTrim(0, v); });
}
void KesSetTrimTop(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setTrim(1, v); });
}
void KesSetTrimRight(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setTrim(2, v); });
}
void KesSetTrimBottom(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setTrim(3, v); });
}
void KesSetSubSamplingX(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setSubSampling(0, v); });
}
void KesSetSubSamplingY(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setSubSampling(1, v); });
}
void KesSetBitsPerPixel(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setBitsPerPixel(v); });
}
std::int32_t KesGetJpegQuality(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.jpegQuality(); });
}
void KesSetJpegQuality(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setJpegQuality(v); });
}
void KesSetImageFormat(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setFormat(v); });
}
std::int32_t KesGetWholeTransfer(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.wholeTransfer(); });
}
void KesSetWholeTransfer(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setWholeTransfer(v); });
}
std::int32_t KesGetReverse(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.reverse(); });
}
std::int32_t KesGetFlip1(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.flip(0); });
}
void KesSetFlip1(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setFlip(0, v); });
}
std::int32_t KesGetFlip2(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.flip(1); });
}
void KesSetFlip2(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setFlip(1, v); });
}
void KesSetReverse(KesHandle h, std::int32_t v) {
    toOutput(h, [v](ImageOutputProperty& p) { p.setReverse(v); });
}
std::int32_t KesGetMaximumWidth(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.maximumWidth(); });
}
std::int32_t KesGetMaximumHeight(KesHandle h) {
    return fromOutput(h, [](const ImageOutputProperty& p) { return p.maximumHeight(); });
}

}  // extern "C"
