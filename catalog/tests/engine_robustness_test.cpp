// The shared robustness harness on the catalog engine: mutations of a catalog file and of an
// index file, each opened beside intact companions, every record looked up and every thumbnail
// read. Damaged catalogs end in the engine's messages (answered) or a clean failure.
#include "bytes.h"
#include "dib_builder.h"
#include "engine_fixture.h"
#include "robustness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using namespace ct;

namespace {

struct Init {
    Init() { InitCatDll(&kt::testApp()); }
} g_init;

// The sample: records with and without thumbnails, descriptions and long names, one deleted.
std::map<std::string, std::vector<uint8_t>> makeSample()
{
    TestCatalog c;
    EXPECT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    for (int i = 0; i < 6; ++i) {
        HGLOBAL thumb = i % 3 ? kt::makeDib(12 + i, 10, i == 4 ? 24 : 8, i == 4 ? std::vector<uint32_t>{} : kt::spreadColours(16),
                                            kt::pattern(i == 4 ? 24 : 8, 16))
                              : nullptr;
        EXPECT_EQ(1, c.write(sampleRecord("IMG" + std::to_string(i) + ".GIF", i), thumb,
                             i % 2 ? "Long name " + std::to_string(i) + ".gif" : ""));
        if (thumb)
            GlobalFree(thumb);
    }
    c.lookup("IMG2.GIF");
    EXPECT_GE(DeleteCix(&c.d), 0);
    EXPECT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    return {{".CAT", kt::readFile(c.file(".CAT"))}, {".CIX", kt::readFile(c.file(".CIX"))},
            {".CAX", kt::readFile(c.file(".CAX"))}};
}

// Opens the catalog at `path` (its companions laid beside it from the sample), looks up every
// entry by short and long name and reads every thumbnail; returns the last thumbnail read.
HGLOBAL exercise(const std::string& path, const std::map<std::string, std::vector<uint8_t>>& sample, bool verify)
{
    const std::string base = path.substr(0, path.rfind('.'));
    const std::string mutated = path.substr(path.rfind('.'));
    for (const auto& [ext, bytes] : sample)
        if (_stricmp(ext.c_str(), mutated.c_str()) != 0)
            kt::writeFile(base + ext, bytes);
    kt::testApp().verifyCatalog = verify ? 1 : 0;
    // Every message is answered OK (rebuild, go on), except the password prompt: OK without the
    // password would only ask again.
    kt::DialogAnswerer* self = nullptr;
    kt::DialogAnswerer answers(IDOK, [&](HWND dlg) {
        char title[64] = "";
        GetWindowTextA(dlg, title, sizeof title);
        self->setAnswer(std::string(title) == "Need Password" ? IDCANCEL : IDOK);
    });
    self = &answers;
    CatalogDescriptor d;
    fillDescriptor(&d, base + ".CAT");
    HGLOBAL last = nullptr;
    if (OpenCatalog(&d, CAT_READWRITE, 0)) {
        std::vector<std::string> names;
        for (int i = 0; i < d.index->entries; ++i)
            names.emplace_back(GetIndex(&d, i)->name, strnlen(GetIndex(&d, i)->name, 13));
        for (int i = 0; i < d.longNameCount; ++i)
            names.emplace_back(GetLongName(&d, static_cast<LongNameEntry*>(d.longNames)[i].longName));
        for (const std::string& name : names) {
            HGLOBAL rec = LookupCatalog(&d, name.c_str(), 0);
            if (!rec)
                continue;
            if (HGLOBAL dib = ReadCatDib(GlobalLock(rec), reinterpret_cast<HANDLE>(d.hCat))) {
                if (last)
                    GlobalFree(last);
                last = dib;
            }
            GlobalUnlock(rec);
            GlobalFree(rec);
        }
        // A write into whatever the damage left must not fail uncleanly either.
        HGLOBAL h = recordHandle(sampleRecord("EXTRA.GIF"));
        WriteCatalog(&d, nullptr, nullptr, h, 0, "EXTRA.GIF", "");
        GlobalFree(h);
        CloseCatalog(&d, nullptr, 1);
    }
    if (d.mutex)
        CloseHandle(d.mutex);
    kt::testApp().verifyCatalog = 0;
    return last;
}

TEST(Robustness, CatalogAndIndexFiles)
{
    const auto sample = makeSample();
    kt::TempDir samples;
    std::vector<std::string> files;
    for (const char* ext : {".CAT", ".CIX", ".CAX"}) {
        files.push_back(samples.file(std::string("SAMPLE") + ext));
        ASSERT_TRUE(kt::writeFile(files.back(), sample.at(ext)));
    }
    kt::robust::Codec codec;
    codec.name = "catalog";
    codec.module = GetModuleHandleA("KELCAT32.dll");
    // Index entries: name end, flags, offset, sizes, sequence, marker. Record fixed parts: counts.
    codec.fields = [](const std::vector<uint8_t>& b) {
        std::vector<kt::robust::Field> f;
        if (b.size() % 32 == 0)
            for (size_t at = 0; at + 32 <= b.size() && f.size() < 60; at += 32)
                for (size_t o : {12u, 13u, 14u, 18u, 22u, 26u, 28u})
                    f.push_back({at + o, o == 12 || o == 13 ? 1 : o == 26 ? 2 : 4, false});
        for (size_t o : {363u, 367u, 369u, 371u, 374u + 363u, 748u + 363u, 748u + 369u})
            if (o + 4 <= b.size())
                f.push_back({o, o % 374 == 363 ? 4 : 2, false});
        return f;
    };
    for (const char* ext : {".cat", ".cix", ".cax"}) {
        codec.extension = ext;
        codec.info = [&](const std::string& path) { return exercise(path, sample, false); };
        codec.open = [&](const std::string& path) { return exercise(path, sample, true); };
        codec.absurd = [](const std::vector<uint8_t>&) { return false; };
        // The index block holds the index file (and a little more); records and thumbnails are
        // read whole, at most the file's size.
        codec.allowance = [&](uint64_t n) { return 4 * (n + sample.at(".CAT").size()) + (1u << 20); };
        kt::robust::Options options;
        options.mutationsPerSample = 40;
        const std::string sampleFile = files[std::string(ext) == ".cat" ? 0 : std::string(ext) == ".cix" ? 1 : 2];
        const kt::robust::Report r = kt::robust::run(codec, {sampleFile}, options);
        std::printf("catalog %s: %d cases, %d thumbnails read, largest allocation %llu bytes\n", ext, r.cases,
                    r.openResults, static_cast<unsigned long long>(r.largestAllocation));
        if (HasFailure())
            return;
    }
}

} // namespace
