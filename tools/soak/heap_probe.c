// Loaded into the viewer by the soak run (LD_PRELOAD): on each SIGUSR1 it
// appends the malloc heap's bytes in use, over all arenas (mallinfo2's
// uordblks), as one line to the file that LUMORA_HEAP_PROBE names. A thread of
// its own waits for the signal, so the figure is taken under the allocator's
// own locks and never inside a signal handler. Without the variable it does
// nothing at all.
#define _GNU_SOURCE
#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

static void* answerRequests(void* path)
{
    sigset_t requests;
    sigemptyset(&requests);
    sigaddset(&requests, SIGUSR1);
    for (;;) {
        int signal = 0;
        if (sigwait(&requests, &signal) != 0)
            continue;
        // Taken before the file is opened: its buffer is not counted.
        const size_t inUse = mallinfo2().uordblks;
        FILE* out = fopen((const char*)path, "a");
        if (out) {
            fprintf(out, "%zu\n", inUse);
            fclose(out);
        }
    }
    return NULL;
}

// Runs before main: every thread the viewer starts later inherits the blocked
// signal, so only the probe's thread ever takes it.
__attribute__((constructor)) static void startHeapProbe(void)
{
    const char* path = getenv("LUMORA_HEAP_PROBE");
    if (!path || !*path)
        return;
    sigset_t requests;
    sigemptyset(&requests);
    sigaddset(&requests, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &requests, NULL);
    pthread_t thread;
    if (pthread_create(&thread, NULL, answerRequests, (void*)path) == 0)
        pthread_detach(thread);
}
