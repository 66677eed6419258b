// The executables' imports from libraries outside the few Windows always
// takes from the system folder. Were they ordinary imports, the loader would
// resolve them, and what they import in turn, before the program's first
// line, searching the program's own folder first (Wine does so even for
// SHELL32's SHCORE). Instead every such function is reached through a
// pointer defined here, the one the compiler calls through for an imported
// function. Until its first call the pointer leads to a stub that loads the
// library from the system folder, finds the function, stores its address in
// the pointer and jumps there with the caller's stack as it was.
//
// SystemImports.def lists the libraries and functions; a function missing
// from it is taken from the import library again, which the release check
// of the executables' import tables reports.
#include <windows.h>

#include "platform/win32/SystemLibrary.h"

namespace pim::late {

struct LateLibrary {
    const wchar_t* name;
    HMODULE handle;
};

// Laid out by the records below: the pointer the callers call through, then
// the library and the function's name.
struct LateImport {
    void* volatile address;
    LateLibrary* library;
    const char* name;
};

namespace {

[[noreturn]] void MissingFunction(const LateImport& import) {
    // The system lacks a function the program was built against: nothing can
    // run on, and there is no caller to hand an error to.
    char text[256];
    wsprintfA(text, "Pim: %ls lacks %s; this version of Windows is too old.", import.library->name, import.name);
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error && error != INVALID_HANDLE_VALUE && GetFileType(error) != FILE_TYPE_UNKNOWN) {
        WriteFile(error, text, lstrlenA(text), &written, nullptr);
        WriteFile(error, "\r\n", 2, &written, nullptr);
    } else {
        MessageBoxA(nullptr, text, "Pim", MB_OK | MB_ICONERROR);
    }
    ExitProcess(255);
}

}  // namespace
}  // namespace pim::late

using pim::late::LateImport;
using pim::late::LateLibrary;

#define PIM_LIBRARY(library) extern "C" { LateLibrary pim_library_##library{L"" #library ".dll", nullptr}; }
#define PIM_IMPORT(library, function, bytes)
#include "platform/win32/SystemImports.def"
#undef PIM_LIBRARY
#undef PIM_IMPORT

// Called by the common stub with the record of the function called; returns
// its address. Two threads may resolve the same function at once: both load
// the same library and store the same address.
extern "C" __attribute__((force_align_arg_pointer, used)) void* pim_late_bind(LateImport* import) {
    const DWORD lastError = GetLastError();  // the caller may have set it for the callee
    LateLibrary& library = *import->library;
    HMODULE module = static_cast<HMODULE>(InterlockedCompareExchangePointer(
        reinterpret_cast<void* volatile*>(&library.handle), nullptr, nullptr));
    if (!module) {
        module = pim::LoadSystemLibrary(library.name);
        if (!module) pim::late::MissingFunction(*import);
        InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&library.handle), module);
    }
    void* address = reinterpret_cast<void*>(GetProcAddress(module, import->name));
    if (!address) pim::late::MissingFunction(*import);
    InterlockedExchangePointer(&import->address, address);
    SetLastError(lastError);
    return address;
}

// The stub every function's pointer leads to first: pushes the function's
// record, and here the registers are kept, the function resolved, its
// address put where the record was, and `ret` jumps to it with the caller's
// return address on top of the stack again.
asm(R"(
    .text
    .p2align 4
pim_late_common:
    pushal
    pushl 32(%esp)
    call _pim_late_bind
    addl $4, %esp
    movl %eax, 32(%esp)
    popal
    ret
)");

// Per function (stdcall, its arguments' size in bytes): the pointer the
// compiler's calls go through, the record after it, the direct-call entry an
// import library would give, and the stub.
#define PIM_LIBRARY(library)
#define PIM_IMPORT(library, function, bytes)                          \
    asm(".section .rdata,\"dr\"\n"                                           \
        "pim_name_" #function ": .asciz \"" #function "\"\n"          \
        ".data\n"                                                     \
        ".p2align 2\n"                                                \
        ".globl __imp__" #function "@" #bytes "\n"                    \
        "__imp__" #function "@" #bytes ": .long pim_stub_" #function "\n" \
        ".long _pim_library_" #library ", pim_name_" #function "\n"   \
        ".text\n"                                                     \
        ".globl _" #function "@" #bytes "\n"                          \
        "_" #function "@" #bytes ": jmp *__imp__" #function "@" #bytes "\n" \
        "pim_stub_" #function ": pushl $__imp__" #function "@" #bytes "\n" \
        "jmp pim_late_common\n");
#include "platform/win32/SystemImports.def"
#undef PIM_LIBRARY
#undef PIM_IMPORT
