#include "platform/win32/Mutex.h"

#include <fcntl.h>
#include <semaphore.h>

#include <string>

namespace {

struct MutexObject : KernelObject {
    MutexObject(sem_t* sem, bool owned) : sem(sem), owned(owned) {}
    ~MutexObject() override {
        if (owned)
            sem_post(sem);
        sem_close(sem);
    }
    sem_t* sem;
    bool owned;
};

}  // namespace

HANDLE CreateMutexA(LPVOID lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName) {
    if (lpMutexAttributes || !lpName || !*lpName)
        return nullptr;
    // Semaphore names are one path component after the slash.
    std::string name = "/";
    for (const char* p = lpName; *p; p++)
        name += *p == '/' ? '_' : *p;
    sem_t* sem = sem_open(name.c_str(), O_CREAT, 0600, 1);
    if (sem == SEM_FAILED)
        return nullptr;
    bool owned = bInitialOwner && sem_trywait(sem) == 0;
    return static_cast<KernelObject*>(new MutexObject(sem, owned));
}

BOOL ReleaseMutex(HANDLE hMutex) {
    auto* mutex = dynamic_cast<MutexObject*>(static_cast<KernelObject*>(hMutex));
    if (!mutex || !mutex->owned)
        return FALSE;
    mutex->owned = false;
    return sem_post(mutex->sem) == 0;
}
