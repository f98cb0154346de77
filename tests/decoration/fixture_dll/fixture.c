/* A small DLL for the loader's tests: exports by name, by ordinal only and
 * forwarded, a call through a pointer that needs relocating, imports by name
 * and by ordinal from the test's host table, and an entry point whose result
 * the test chooses. */
typedef unsigned int u32;

__declspec(dllimport) void Test_Record(u32 reason, void* instance);
__declspec(dllimport) int Test_AttachResult(void);
__declspec(dllimport) int Test_ByOrdinal(int x); /* imported by ordinal */

static int Twice(int x) { return 2 * x; }
/* An absolute address in writable data: right only after relocation. */
static int (*volatile table)(int) = Twice;

int Add(int a, int b) { return a + b; }
int CallThroughTable(int x) { return table(x); }
int CallHostByOrdinal(int x) { return Test_ByOrdinal(x); }
int Secret(void) { return 42; }

int DllMain(void* instance, u32 reason, void* reserved) {
    (void)reserved;
    Test_Record(reason, instance);
    return reason == 1 ? Test_AttachResult() : 1;
}
