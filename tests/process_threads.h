// The threads of the test program, and waiting for the program's own threads to do something:
// shared by the Windows tests of anything that starts a thread.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <set>

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
