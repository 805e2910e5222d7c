// The catalog registry's tests: a profile of the test's own, the engine and the network paths
// initialised with the test application, and catalogs made through the engine.
#pragma once

#include "engine_fixture.h"
#include "kelcat.h"
#include "kelcmd.h"
#include "kelnet.h"
#include "test_profile.h"

#include <gtest/gtest.h>

#include <string>

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest()
    {
        InitCatDll(&kt::testApp());
        InitKelNetDll(&kt::testApp());
    }

    std::string main() const { return kt::testApp().appName; }
    void set(const std::string& section, const char* key, const std::string& value) const
    {
        ASSERT_EQ(1, MyWritePrivateProfileString(section.c_str(), key, value.c_str(), profile.ini().c_str()));
    }
    std::string get(const std::string& section, const char* key) const
    {
        return profile.registryValue(section, key);
    }
    // A catalog with one record, written through the engine; its header record names it `stored`.
    static void makeCatalog(const std::string& path, const char* stored, const char* record = "A.GIF")
    {
        CatalogDescriptor d;
        ct::fillDescriptor(&d, path, stored);
        ASSERT_EQ(1, OpenCatalog(&d, CAT_READWRITE, 0)) << path;
        HGLOBAL h = ct::recordHandle(ct::sampleRecord(record));
        EXPECT_EQ(1, WriteCatalog(&d, nullptr, nullptr, h, 0, record, ""));
        GlobalFree(h);
        CloseCatalog(&d, nullptr, 1);
        CloseHandle(d.mutex);
    }
    // The name the catalog's header record holds, as the engine reads it.
    static std::string storedName(const std::string& path)
    {
        CatalogDescriptor d;
        ct::fillDescriptor(&d, path, "");
        std::string name;
        if (OpenCatalog(&d, CAT_READ, CAT_SHARE_DENY_NONE)) {
            name = d.catName;
            CloseCatalog(&d, nullptr, 1);
        }
        if (d.mutex)
            CloseHandle(d.mutex);
        return name;
    }

    TestProfile profile;
};

// A descriptor that lets go of what it holds.
struct Descriptor {
    CatalogDescriptor d{};
    Descriptor() { d.hCat = d.hCix = d.hCax = -1; }
    ~Descriptor()
    {
        FreeCatalogBlocks(&d);
        if (d.mutex)
            CloseHandle(d.mutex);
    }
    CatalogDescriptor* operator->() { return &d; }
    CatalogDescriptor* get() { return &d; }
};
