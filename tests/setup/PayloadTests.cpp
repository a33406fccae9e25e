// What VelloSetup carries: every resource of the built program, for both
// architectures (each tree's setup-payloads.txt lists them), read from the
// program as a data file, equals the file the build took it from, and there
// is no other payload. And the companion stand-ins it carries: they log
// their arguments and end on the programs' exit messages.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

struct Payload {
    WORD id = 0;
    std::wstring type;
    std::wstring file;  // relative to the build tree
    std::wstring origin;
};

// setup-payloads.txt: "<id> <type> <file> <origin>" per line.
std::vector<Payload> ReadPayloadList(const std::wstring& tree) {
    std::vector<Payload> list;
    std::istringstream lines(vt::ReadFileBytes(tree + L"setup-payloads.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        int id = 0;
        std::string type, file, origin;
        if (!(fields >> id >> type >> file >> origin)) continue;
        Payload p;
        p.id = static_cast<WORD>(id);
        p.type = vt::Widen(type);
        p.file = vt::Widen(file);
        for (wchar_t& c : p.file) {
            if (c == L'/') c = L'\\';
        }
        p.origin = vt::Widen(origin);
        list.push_back(p);
    }
    return list;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(::towupper(c));
    return text;
}

// Every resource of the module whose type is named (the payload types; the
// numbered types are the version, manifest and icons), as "TYPE id".
std::set<std::wstring> NamedTypeResources(HMODULE module) {
    std::set<std::wstring> found;
    ::EnumResourceTypesW(
        module,
        [](HMODULE m, LPWSTR type, LONG_PTR out) -> BOOL {
            if (IS_INTRESOURCE(type)) return TRUE;
            struct Context {
                std::set<std::wstring>* found;
                std::wstring type;
            } context{reinterpret_cast<std::set<std::wstring>*>(out), type};
            ::EnumResourceNamesW(
                m, type,
                [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR c) -> BOOL {
                    auto* ctx = reinterpret_cast<Context*>(c);
                    ctx->found->insert(ctx->type + L" " +
                                       (IS_INTRESOURCE(name) ? std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                                                             : std::wstring(name)));
                    return TRUE;
                },
                reinterpret_cast<LONG_PTR>(&context));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&found));
    return found;
}

void ExpectPayloadsEqualTheirFiles(const std::wstring& tree, const char* name) {
    SCOPED_TRACE(name);
    const std::vector<Payload> list = ReadPayloadList(tree);
    ASSERT_EQ(list.size(), 9u) << "ids 102, 103, 105, 106, 107, 108, 110, 111, 112";
    HMODULE setup = ::LoadLibraryExW((tree + L"bin\\VelloSetup.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(setup, nullptr);
    std::set<std::wstring> listed;
    for (const Payload& p : list) {
        const std::string row = std::to_string(p.id) + " " + vt::Narrow(p.type);
        listed.insert(Upper(p.type) + L" " + std::to_wstring(p.id));
        HRSRC found = ::FindResourceW(setup, MAKEINTRESOURCEW(p.id), p.type.c_str());
        ASSERT_NE(found, nullptr) << row;
        const DWORD size = ::SizeofResource(setup, found);
        const void* bytes = ::LockResource(::LoadResource(setup, found));
        ASSERT_NE(bytes, nullptr) << row;
        const std::string file = vt::ReadFileBytes(tree + p.file);
        EXPECT_FALSE(file.empty()) << row;
        EXPECT_TRUE(std::string(static_cast<const char*>(bytes), size) == file) << row << " equals " << vt::Narrow(p.file);
    }
    EXPECT_EQ(NamedTypeResources(setup), listed) << "no other payload";
    ::FreeLibrary(setup);
}

TEST(SetupPayload, EveryResourceEqualsItsInputFile) {
    ExpectPayloadsEqualTheirFiles(vt::BinDir() + L"..\\", "test build (x86_64)");
    const std::wstring release = vt::BinDir() + L"..\\..\\i686\\";
    if (!vt::FileExists(release + L"bin\\VelloSetup.exe"))
        GTEST_SKIP() << "no release build beside this one (scripts/build.sh i686 makes it)";
    ExpectPayloadsEqualTheirFiles(release, "release build (i686)");
}

// The companion programs' stand-ins: started with arguments, they log them,
// keep a hidden window and end on either exit message or WM_CLOSE.
TEST(CompanionStandIn, LogsItsArgumentsAndEndsOnTheExitMessages) {
    struct Case {
        const wchar_t* program;
        const wchar_t* message;  // registered message, or null for WM_CLOSE
        const wchar_t* logged;
    };
    const Case cases[] = {
        {L"VelloEffect", L"WM_AUDIO_EFFECT_EXIT", L"ended WM_AUDIO_EFFECT_EXIT"},
        {L"VelloSoundFX", L"WM_Qorv73xxAPP_EXIT", L"ended WM_Qorv73xxAPP_EXIT"},
        {L"VelloEffect", nullptr, L"ended WM_CLOSE"},
    };
    for (const Case& c : cases) {
        const std::string row = vt::Narrow(c.program) + " " + (c.message ? vt::Narrow(c.message) : "WM_CLOSE");
        vt::TempDir dir;
        const std::wstring exe = dir / (std::wstring(c.program) + L".exe");
        ASSERT_TRUE(::CopyFileW((vt::BinDir() + L"companion\\" + c.program + L".exe").c_str(), exe.c_str(), FALSE));
        vt::Child child;
        ASSERT_TRUE(child.Start(L"\"" + exe + L"\" -servicestart \"two words\"")) << row;
        HWND window = vt::WaitForWindow(
            child.pid(), [](HWND w) { return vt::WindowClass(w) == L"VelloCompanionStandIn"; }, 30000);
        ASSERT_NE(window, nullptr) << row;
        EXPECT_FALSE(::IsWindowVisible(window)) << row;
        ::PostMessageW(window, c.message ? ::RegisterWindowMessageW(c.message) : WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        EXPECT_TRUE(child.Wait(30000, &exitCode)) << row;
        EXPECT_EQ(exitCode, 0u) << row;
        const std::string log = vt::ReadFileBytes(dir / (std::wstring(c.program) + L".log"));
        EXPECT_EQ(log, "started -servicestart \"two words\"\r\n" + vt::Narrow(c.logged) + "\r\n") << row;
    }
}

}  // namespace
