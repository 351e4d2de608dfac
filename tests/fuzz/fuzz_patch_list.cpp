// Fuzz target of the patch-list reader: reads the bytes as a patch list,
// imports it into the editor's tree and exports it again; the exported names
// must be the ones read, and the written text must read back within range.
// Without libFuzzer, main() replays the fixture folder given as its argument
// and runs a seeded mutation sweep; a watchdog fails any case over 2 s.
#include "plain_driver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "engine/synthdb/patch_list.h"
#include "engine/synthdb/synth_tree.h"

namespace rz {
namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_patch_list: %s\n", what);
    std::abort();
}

template <class Entries>
void checkOrdered(const Entries& entries, int largest)
{
    int previous = -1;
    for (const auto& entry : entries) {
        if (entry.number <= previous || entry.number > largest)
            fail("numbers out of order or out of range");
        previous = entry.number;
    }
}

void checkList(const PatchList& list)
{
    checkOrdered(list.banks, 16383);
    for (const auto& bank : list.banks)
        checkOrdered(bank.patches, 127);
    int previous = -1;
    for (const auto& drumset : list.drumsets) {
        if (drumset.key() <= previous || drumset.program > 127 || drumset.bank > 16383)
            fail("drumsets out of order or out of range");
        previous = drumset.key();
        checkOrdered(drumset.notes, 127);
    }
    checkOrdered(list.controllers, 127);
    checkOrdered(list.nrpns, 16383);
}

} // namespace
} // namespace rz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto read = rz::readPatchList(std::string_view(reinterpret_cast<const char*>(data), size));
    rz::checkList(read.list);
    rz::SynthTree tree;
    const rz::SynthItem& synth = tree.addImported("fuzz", read.list);
    if (!(tree.exportSynth(synth) == read.list))
        rz::fail("the tree exports other names than it imported");
    rz::checkList(rz::readPatchList(rz::writePatchList(read.list)).list);
    return 0;
}

#ifndef RZ_LIBFUZZER
int main(int argc, char** argv)
{
    static constexpr uint8_t kBoundary[] = {'[', ']', '=', ':', '/', '\r', '\n', '\0', '0', '9', 0x80, 0xFF};
    return rz::fuzz::runPlainDriver({"fuzz_patch_list", ".txt", kBoundary, 20261210}, argc, argv);
}
#endif
