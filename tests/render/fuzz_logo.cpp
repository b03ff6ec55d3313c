// libFuzzer entry over the whole logo path: bytes the decoder takes are embedded by the PDF
// library, and the document it then saves must be one qpdf reads without a warning; refused
// bytes give a reason.
#include "render/logo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <hpdf.h>
#include <qpdf/qpdf-c.h>
#include <string_view>
#include <vector>

namespace {
void stopOnLibraryError(HPDF_STATUS, HPDF_STATUS, void*) {
    std::abort();
}

// The saved document, read back in full with every stream decoded, as qpdf --check reads it:
// no error and no warning.
void checkDocument(const std::vector<unsigned char>& pdf) {
    qpdf_data reader = qpdf_init();
    qpdf_set_suppress_warnings(reader, QPDF_TRUE);
    qpdf_set_attempt_recovery(reader, QPDF_FALSE);
    const bool sound =
        qpdf_read_memory(reader, "logo.pdf", reinterpret_cast<const char*>(pdf.data()), pdf.size(),
                         nullptr) == QPDF_SUCCESS &&
        qpdf_check_pdf(reader) == QPDF_SUCCESS && !qpdf_more_warnings(reader);
    qpdf_cleanup(&reader);
    if (!sound) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LogoPixels pixels;
    std::string problem;
    if (!decodeLogo(bytes, pixels, problem)) {
        if (problem.empty()) std::abort();
        return 0;
    }
    const std::size_t count = static_cast<std::size_t>(pixels.width) * pixels.height;
    if (pixels.width < 1 || pixels.height < 1 || pixels.width > kLogoSideLimit ||
        pixels.height > kLogoSideLimit || (pixels.channels != 1 && pixels.channels != 3) ||
        pixels.colour.size() != count * pixels.channels ||
        (!pixels.alpha.empty() && pixels.alpha.size() != count))
        std::abort();
    HPDF_Doc document = HPDF_New(stopOnLibraryError, nullptr);
    HPDF_SetCompressionMode(document, HPDF_COMP_ALL);
    HPDF_Page page = HPDF_AddPage(document);
    const LogoPixels kept = shrinkLogo(pixels, 64, 64);
    HPDF_Image image = embedLogo(document, kept);
    if (!image) std::abort();
    HPDF_Page_DrawImage(page, image, 10, 10, 100, 100);
    HPDF_SaveToStream(document);
    std::vector<unsigned char> pdf(HPDF_GetStreamSize(document));
    HPDF_UINT32 got = static_cast<HPDF_UINT32>(pdf.size());
    HPDF_ReadFromStream(document, pdf.data(), &got);
    HPDF_Free(document);
    pdf.resize(got);
    checkDocument(pdf);
    return 0;
}
