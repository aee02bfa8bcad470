#include "JpegPicture.h"

#include "PictureLimits.h"
#include "system/FileRead.h"

#include <cstdio>
#include <string>

#include <windows.h>

#include <wincodec.h>
#include <wrl/client.h>

namespace hakomaru::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// COM for this thread while the picture decodes: the window thread's own
// (single-threaded) apartment, or the one the thread already has.
class ComScope {
  public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT result_;
};

// The component's reason for an error code, in Japanese, with the code.
std::string imagingReason(HRESULT result) {
    const char* text = "Windows の画像コンポーネントが読めませんでした";
    switch (result) {
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
    case WINCODEC_ERR_COMPONENTNOTFOUND:
        text = "JPEG の画像ではありません";
        break;
    case WINCODEC_ERR_BADHEADER:
        text = "画像の見出しが壊れています";
        break;
    case WINCODEC_ERR_BADIMAGE:
    case WINCODEC_ERR_BADSTREAMDATA:
    case WINCODEC_ERR_FRAMEMISSING:
        text = "画像のデータが壊れています";
        break;
    case WINCODEC_ERR_STREAMREAD:
    case WINCODEC_ERR_STREAMNOTAVAILABLE:
        text = "画像のデータが途中で終わっています";
        break;
    case E_OUTOFMEMORY:
        text = "メモリーが足りません";
        break;
    default:
        break;
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    return std::string(text) + "、" + code;
}

[[noreturn]] void refuse(HRESULT result) {
    throw PictureError(jpegErrorMessage(std::nullopt, imagingReason(result)));
}

void check(HRESULT result) {
    if (FAILED(result))
        refuse(result);
}

[[noreturn]] void refuseTooLarge(long width, long height) {
    throw PictureError(jpegErrorMessage(std::nullopt, pictureTooLargeDetail(width, height)));
}

} // namespace

Picture decodeJpeg(std::span<const std::uint8_t> data) {
    // Asked before the component sees the data: wine's component decodes
    // the whole picture when it is handed the file, into room for the size
    // its header claims, and a claim of 60000 x 60000 ends the process.
    if (const auto claimed = jpegFrameSize(data);
        claimed && !pictureWithinBounds(claimed->width, claimed->height))
        refuseTooLarge(claimed->width, claimed->height);
    const ComScope com;
    ComPtr<IWICImagingFactory> factory;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_PPV_ARGS(&factory)));
    ComPtr<IWICStream> stream;
    check(factory->CreateStream(&stream));
    // The stream only reads the bytes.
    check(stream->InitializeFromMemory(const_cast<BYTE*>(data.data()),
                                       static_cast<DWORD>(data.size())));
    // The JPEG decoder itself, not one chosen by the content: a PNG named
    // .jpg is no map picture, as on Linux.
    ComPtr<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, &decoder));
    check(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand));
    ComPtr<IWICBitmapFrameDecode> frame;
    check(decoder->GetFrame(0, &frame));
    UINT width = 0, height = 0;
    check(frame->GetSize(&width, &height));
    if (!pictureWithinBounds(static_cast<long>(width), static_cast<long>(height)))
        refuseTooLarge(static_cast<long>(width), static_cast<long>(height));
    ComPtr<IWICBitmapSource> converted;
    check(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), &converted));

    Picture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    const UINT stride = width * 4;
    picture.pixels.resize(static_cast<std::size_t>(stride) * height);
    check(converted->CopyPixels(nullptr, stride, static_cast<UINT>(picture.pixels.size()),
                                picture.pixels.data()));
    return picture;
}

Picture loadJpeg(const std::filesystem::path& file, std::string_view shownName) {
    const FileBytes bytes = readRegularFile(file, kPictureFileLimit);
    if (!bytes.ok())
        throw PictureError(fileOpenMessage(shownName, bytes.shownReason()));
    return decodeJpeg(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.bytes.data()), bytes.bytes.size()));
}

} // namespace hakomaru::win32
