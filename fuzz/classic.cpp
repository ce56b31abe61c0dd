// Classic resource definitions from untrusted bytes: parsing, source
// resolution and image-set builds (no GL: textures are never loaded).
// Every lookup of what was built runs too, so that a broken list shows up.
#include <cstddef>
#include <cstdint>
#include <string>

#include "koui/family/appmsg.h"
#include "koui/rm/rm.h"

using namespace ko::log;

namespace {

void quiet(const char*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (appSetMsgSink(&quiet, nullptr), true);
    (void)silenced;
    if (size > (1u << 20)) return 0;

    koui::RM rm;
    // The folder is where relative "!file" paths fall back to; one that does
    // not exist keeps the fuzzer from reading files of its working folder.
    rm.CreateFromBuffer(reinterpret_cast<const char*>(data), static_cast<int>(size), "/nonexistent/");
    for (int i = 0; i < rm.imgSetList->GetCount(); ++i) {
        koui::RMImgSet* set = (*rm.imgSetList)(i);
        set->GetWidth();
        set->GetMinHeight();
        for (int k = 0; k < set->GetCount(); ++k) set->GetByImageID(set->GetByIndex(k)->imageId, 65535);
        rm.rmimgset(set->getname());
    }
    for (int i = 0; i < rm.colorList->GetCount(); ++i) rm.rmcolor(rm.colorList->Get(i)->getname());
    for (int i = 0; i < rm.fmtFontList->GetCount(); ++i) rm.rmfmtfont(rm.fmtFontList->Get(i)->getname());
    // The same bytes as a set definition whose entries name their own sources.
    const std::string text(reinterpret_cast<const char*>(data), size);
    rm.BuildImageSet(text.c_str(), 0);
    return 0;
}
