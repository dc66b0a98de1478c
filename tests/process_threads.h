// The threads of the test program, and waiting for the program's own threads to do something:
// shared by the Windows tests of anything that starts a thread.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <set>
#include <string_view>

namespace testsupport {

inline std::set<DWORD> ThreadsOfThisProcess() {
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

// The threads of the test program that carry this description (empty where the system keeps
// no thread descriptions).
inline std::set<DWORD> ThreadsNamed(std::wstring_view name) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    const auto get = reinterpret_cast<GetDescription>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    std::set<DWORD> named;
    if (get == nullptr) return named;
    for (DWORD id : ThreadsOfThisProcess()) {
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (thread == nullptr) continue;
        PWSTR text = nullptr;
        if (SUCCEEDED(get(thread, &text)) && text != nullptr) {
            if (name == text) named.insert(id);
            LocalFree(text);
        }
        CloseHandle(thread);
    }
    return named;
}

// Waits for a thread of the program to make `done` true, with a deadline that only a broken
// program reaches (20 s); returns whether it did.
// The deadline is kept by the tick count: Sleep(1) may sleep a whole scheduler tick.
template <typename Condition>
bool WaitFor(Condition done) {
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (!done()) {
        if (GetTickCount64() >= deadline) return done();
        Sleep(1);
    }
    return true;
}

}  // namespace testsupport
