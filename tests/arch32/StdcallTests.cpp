// The typed entry points of the device library in the 32-bit build: each is a
// stdcall function, so the library removes its arguments from the stack. A
// type that disagrees with the library on the number or size of its
// arguments leaves the caller's stack shifted, which only shows in 32-bit
// code. Each entry point is called through a thunk that measures the bytes
// the library removed and hands the caller back exactly what it pushed.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"

#ifndef __i386__
#error "these tests are for the 32-bit build"
#endif

extern "C" {
void StackCheckThunk();
void* g_thunkTarget;      // the library's entry point
DWORD g_thunkEntryEsp;    // the stack pointer on entry (at the return address)
void* g_thunkReturn;      // the caller's return address
DWORD g_thunkPushed;      // bytes the caller pushed, by the entry point's type
DWORD g_thunkPopped;      // bytes the library removed
}

// On entry the stack holds the caller's return address and its arguments.
// The thunk takes the return address off, calls the library with the
// arguments where they are, measures how far the library moved the stack,
// then returns to the caller with the stack where the caller's type expects
// it. EAX (the result) passes through untouched.
__asm__(
    ".text\n"
    ".globl _StackCheckThunk\n"
    "_StackCheckThunk:\n"
    "    movl %esp, _g_thunkEntryEsp\n"
    "    popl _g_thunkReturn\n"
    "    call *_g_thunkTarget\n"
    "    movl %esp, %ecx\n"
    "    subl _g_thunkEntryEsp, %ecx\n"
    "    subl $4, %ecx\n"
    "    movl %ecx, _g_thunkPopped\n"
    "    movl _g_thunkEntryEsp, %esp\n"
    "    addl $4, %esp\n"
    "    addl _g_thunkPushed, %esp\n"
    "    jmp *_g_thunkReturn\n");

namespace {

// Bytes a stdcall caller pushes for these argument types (each rounded up to
// a 4-byte slot).
template <typename R, typename... A>
constexpr DWORD ArgumentBytes(R(WINAPI*)(A...)) {
    return (0u + ... + static_cast<DWORD>((sizeof(A) + 3) / 4 * 4));
}

struct StackUse {
    DWORD pushed = 0;
    DWORD popped = 0;
    int result = 0;
};

// Calls the entry point through its typed pointer with every argument zero
// (null pointers, which the library refuses without touching memory).
template <typename R, typename... A>
StackUse Measure(R(WINAPI*& slot)(A...)) {
    using Fn = R(WINAPI*)(A...);
    const Fn bound = slot;
    g_thunkTarget = reinterpret_cast<void*>(bound);
    g_thunkPushed = ArgumentBytes(bound);
    g_thunkPopped = 0xFFFFFFFF;
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(&StackCheckThunk));
    StackUse use;
    use.result = slot(A{}...);
    slot = bound;
    use.pushed = g_thunkPushed;
    use.popped = g_thunkPopped;
    return use;
}

struct TypedEntry {
    const char* name;
    StackUse (*measure)();
};

#define TYPED_ENTRY(name) {#name, [] { return Measure(fn##name); }}

// Every export the panel calls through a typed pointer.
const TypedEntry kTypedEntries[] = {
    TYPED_ENTRY(DLLKQ_SetActive_Device),
    TYPED_ENTRY(DLLKQ_AudioCommand),
    TYPED_ENTRY(DLLKQ_SetVirtual7ch1_OnOff),
    TYPED_ENTRY(DLLKQ_SetVirtual7ch1),
    TYPED_ENTRY(DLLKQ_SetVirtual7ch1_Scalar),
    TYPED_ENTRY(DLLKQ_SetEnc_Parameters),
    TYPED_ENTRY(DLLKQ_UsbHidSlave_SetRGB_Color_Ex),
    TYPED_ENTRY(DLLKQ_UsbHidSlave_SetRGB_Mode_Ex),
    TYPED_ENTRY(DLLKQ_UsbHidSlave_SetRGB_Brightness_Ex),
    TYPED_ENTRY(DLLKQ_UsbHidSlave_SetRGB_Step_Ex),
    TYPED_ENTRY(DLLKQ_UsbHidSlave_SetRGB_SingleColor_Ex),
    TYPED_ENTRY(DLLKQ_SetRGB_Color),
    TYPED_ENTRY(DLLKQ_SetRGB_Mode),
    TYPED_ENTRY(DLLKQ_SetRGB_Brightness),
    TYPED_ENTRY(DLLKQ_SetRGB_Step),
    TYPED_ENTRY(DLLKQ_SetRGB_SingleColor),
    TYPED_ENTRY(DLLKQ_ScanButton_ById),
    TYPED_ENTRY(DLLKQ_SetGpioMode_ById),
    TYPED_ENTRY(DLLKQ_SetGpioModeEx_ById),
    TYPED_ENTRY(DLLKQ_GetGpioEx_ById),
    TYPED_ENTRY(DLLKQ_Write_Register_ById),
    TYPED_ENTRY(DLLKQ_Read_Register_ById),
    TYPED_ENTRY(DLLKQ_Read_I2C_ById),
    TYPED_ENTRY(DLLKQ_Config3D_ById),
    TYPED_ENTRY(DLLKQ_Is3D_Enable_ById),
    TYPED_ENTRY(DLLKQ_Set3D_OnOff_ById),
    TYPED_ENTRY(DLLKQ_ConfigEQ_ById),
    TYPED_ENTRY(DLLKQ_IsEQ_Enable_ById),
    TYPED_ENTRY(DLLKQ_SetEQ_OnOff_ById),
    TYPED_ENTRY(DLLKQ_SetRGB_Color_ById),
    TYPED_ENTRY(DLLKQ_SetRGB_Mode_ById),
    TYPED_ENTRY(DLLKQ_SetRGB_Step_ById),
    TYPED_ENTRY(DLLKQ_SetRGB_SingleColor_ById),
};

TEST(Stdcall, EveryTypedEntryPointRemovesExactlyTheArgumentsItsTypePushes) {
    auto& lib = devtest::BoundLibrary();
    for (const TypedEntry& e : kTypedEntries) {
        SCOPED_TRACE(e.name);
        lib.ClearLog();
        const StackUse use = e.measure();
        EXPECT_GT(use.pushed, 0u);
        EXPECT_EQ(use.popped, use.pushed) << e.name << ": the library removed " << use.popped
                                          << " bytes, its type pushes " << use.pushed;
        auto calls = lib.Calls();
        ASSERT_EQ(calls.size(), 1u) << "the call reached the library once";
        EXPECT_EQ(calls[0].name, e.name);
        EXPECT_EQ(calls[0].result, use.result) << "the result came back through the stack check";
    }
}

// The thunk itself: a mismatch in either direction is measured, and the
// caller's stack survives it.
int WINAPI TakesTwo(int a, int b) { return a + b; }
int WINAPI TakesThree(int a, int b, int c) { return a + b + c; }

TEST(Stdcall, TheStackCheckSeesAMismatchAndKeepsTheCallerWhole) {
    struct Case {
        const char* name;
        void* target;
        DWORD popped;
    };
    const Case cases[] = {
        {"as many as pushed", reinterpret_cast<void*>(&TakesTwo), 8},
        {"one argument more", reinterpret_cast<void*>(&TakesThree), 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        using Two = int(WINAPI*)(int, int);
        Two typed = reinterpret_cast<Two>(c.target);
        volatile int guard = 0x5A5A5A5A;
        StackUse use = Measure(typed);
        EXPECT_EQ(use.pushed, 8u);
        EXPECT_EQ(use.popped, c.popped);
        EXPECT_EQ(guard, 0x5A5A5A5A);
    }
}

// The table above names the same exports as those the stand-in implements:
// all its other exports share one body that does nothing.
TEST(Stdcall, TheTableCoversEveryExportTheStandInImplements) {
    devtest::BoundLibrary();
    ASSERT_NE(hDeviceLibrary, nullptr);
    std::map<FARPROC, std::vector<std::string>> byAddress;
    for (const DEVICE_LIBRARY_EXPORT& row : DEVICE_LIBRARY_BINDING)
        byAddress[::GetProcAddress(hDeviceLibrary, row.name)].push_back(row.name);
    std::set<std::string> implemented;
    for (const auto& entry : byAddress)
        if (entry.second.size() == 1) implemented.insert(entry.second.front());
    std::set<std::string> typed;
    for (const TypedEntry& e : kTypedEntries) typed.insert(e.name);
    EXPECT_EQ(typed, implemented);
}

}  // namespace
