// Fuzz target of the texts the program reads from outside that are no
// song: an update server's reply, a tips file and the desktop's key files.
// None may crash, and what comes out stays within the limits the readers
// promise.
#include "core/key_file.h"
#include "core/tips.h"
#include "core/update_reply.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const std::optional<rz::UpdateReply> reply = rz::parseUpdateReply(bytes)) {
        if (reply->version < 0 || reply->version > 999999999)
            std::abort();
        (void)rz::updateOfferText(*reply);
    }
    rz::TipReader reader(std::string(bytes), size / 2);
    for (int i = 0; i < 4; ++i) {
        const std::optional<std::string> tip = reader.next();
        if (!tip)
            break;
        // Decoding may widen a byte to up to three.
        if (tip->size() > 3 * rz::TipReader::kMaxTipLength || tip->empty()) {
            std::fprintf(stderr, "fuzz_app_texts: a tip of %zu bytes\n", tip->size());
            std::abort();
        }
    }
    // A rewrite touches only its own line: read back, it gives the value,
    // and a text that is no key file is never rewritten.
    (void)rz::keyFileList(bytes, "MIME Cache", "audio/midi");
    (void)rz::keyFileValue(bytes, "Desktop Entry", "Name");
    if (const std::optional<std::string> changed =
            rz::setKeyFileValue(bytes, "Default Applications", "audio/midi", "devu-rizoraz.desktop;")) {
        if (!rz::isKeyFileText(bytes) ||
            rz::keyFileValue(*changed, "Default Applications", "audio/midi") != "devu-rizoraz.desktop;") {
            std::fprintf(stderr, "fuzz_app_texts: a key file rewrite went wrong\n");
            std::abort();
        }
    }
    return 0;
}

#ifndef RZ_LIBFUZZER
#include "tests/fuzz/text_fuzz_driver.h"

int main(int argc, char** argv)
{
    return rz::fuzz::runSweep("fuzz_app_texts",
                              {"Version=40203\r\n\r\nFaster start.", "<p>Version=99\n\xE9",
                               "; comment\nFirst tip\n\tskipped\nSecond tip\r\n",
                               "Version=" + std::string(40, '9'), std::string(3000, 'x') + "\n",
                               "[Default Applications]\r\naudio/midi=a.desktop;b;\r\n[Desktop Entry]\nName=X"},
                              argc, argv);
}
#endif
