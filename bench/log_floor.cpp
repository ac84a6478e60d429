// What the log view's work costs on the SQLite API alone, with nothing of the store around it: the floor
// that lapora_bench sets the store's figures against. Plain calls, no classes: nothing of ours in it.
//
//   log_floor FILE PATTERN
//
// gathers the date-ordered keyset of the log table and reads the last row (open), then gathers the keyset
// sorted by the action with SQLite's NOCASE, descending, ties in date order, and reads the first row (sort),
// then finds in the sorted-by-date keyset the first row whose action starts with PATTERN (find). Prints
// "open-ms sort-ms find-ms rows start-rss-kB open-cpu-ms sort-cpu-ms find-cpu-ms view-peak-kB" (view-peak:
// the most held once both keysets were gathered).
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

static double nowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec * 1000.0 + (double)ts.tv_nsec / 1e6;
}

static double cpuMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return (double)ts.tv_sec * 1000.0 + (double)ts.tv_nsec / 1e6;
}

// "VmRSS" or "VmHWM" of this process, in kB.
static long statusKb(const char* key) {
    FILE* f = fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    const size_t n = strlen(key);
    if (!f)
        return -1;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, key, n) == 0 && line[n] == ':')
            kb = strtol(line + n + 1, NULL, 10);
    fclose(f);
    return kb;
}

static void fail(sqlite3* db, const char* what) {
    fprintf(stderr, "log_floor: %s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    exit(1);
}

struct Keyset {
    int64_t* ids;
    size_t n, cap;
};

static void gather(sqlite3* db, const char* sql, Keyset* ks) {
    sqlite3_stmt* st = NULL;
    if (sqlite3_prepare_v2(db, sql, -1, &st, NULL) != SQLITE_OK)
        fail(db, "prepare");
    ks->n = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (ks->n == ks->cap) {
            ks->cap = ks->cap ? ks->cap * 2 : 1024;
            ks->ids = static_cast<int64_t*>(realloc(ks->ids, ks->cap * sizeof *ks->ids));
            if (!ks->ids)
                fail(NULL, "out of memory");
        }
        ks->ids[ks->n++] = sqlite3_column_int64(st, 0);
    }
    if (rc != SQLITE_DONE)
        fail(db, "step");
    sqlite3_finalize(st);
}

// Reads every field of one row as the view's fetch does; gives the length of the action's text.
static size_t readRow(sqlite3* db, int64_t rowid) {
    sqlite3_stmt* st = NULL;
    size_t len = 0;
    if (sqlite3_prepare_v2(db, "SELECT * FROM \"Regisztrálás\" WHERE rowid = ?1", -1, &st, NULL) != SQLITE_OK)
        fail(db, "prepare");
    sqlite3_bind_int64(st, 1, rowid);
    if (sqlite3_step(st) != SQLITE_ROW)
        fail(db, "no such row");
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* t = sqlite3_column_text(st, i);
        if (i == 4 && t)
            len = strlen((const char*)t);
    }
    sqlite3_finalize(st);
    return len;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: log_floor FILE PATTERN\n");
        return 2;
    }
    const long startKb = statusKb("VmRSS");
    Keyset byDate = {}, byAction = {};
    sqlite3* db = NULL;

    double t0 = nowMs(), c0 = cpuMs();
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK)
        fail(db, "open");
    gather(db, "SELECT rowid FROM \"Regisztrálás\" ORDER BY \"AkcióDátuma\", \"AkcióIdeje\", rowid", &byDate);
    if (byDate.n == 0 || readRow(db, byDate.ids[byDate.n - 1]) == 0)
        fail(db, "no last row");
    const double openMs = nowMs() - t0, openCpu = cpuMs() - c0;

    t0 = nowMs();
    c0 = cpuMs();
    gather(db,
           "SELECT rowid FROM \"Regisztrálás\" ORDER BY \"Akció\" COLLATE NOCASE DESC, \"AkcióDátuma\", "
           "\"AkcióIdeje\", rowid",
           &byAction);
    if (byAction.n != byDate.n || readRow(db, byAction.ids[0]) == 0)
        fail(db, "sorted keyset");
    const double sortMs = nowMs() - t0, sortCpu = cpuMs() - c0;
    free(byAction.ids);
    const long viewPeakKb = statusKb("VmHWM");

    // The matching rowids from one scan, then the first of them in the view's order.
    t0 = nowMs();
    c0 = cpuMs();
    sqlite3_stmt* st = NULL;
    if (sqlite3_prepare_v2(db, "SELECT rowid FROM \"Regisztrálás\" WHERE \"Akció\" LIKE ?1 || '%'", -1, &st,
                           NULL) != SQLITE_OK)
        fail(db, "prepare");
    sqlite3_bind_text(st, 1, argv[2], -1, SQLITE_STATIC);
    Keyset hits = {};
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (hits.n == hits.cap) {
            hits.cap = hits.cap ? hits.cap * 2 : 16;
            hits.ids = static_cast<int64_t*>(realloc(hits.ids, hits.cap * sizeof *hits.ids));
            if (!hits.ids)
                fail(NULL, "out of memory");
        }
        hits.ids[hits.n++] = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    long found = -1;
    for (size_t i = 0; i < byDate.n && found < 0; ++i)
        for (size_t k = 0; k < hits.n; ++k)
            if (byDate.ids[i] == hits.ids[k]) {
                found = (long)i;
                break;
            }
    const double findMs = nowMs() - t0, findCpu = cpuMs() - c0;
    if (found < 0)
        fail(NULL, "pattern not found");

    printf("%.3f %.3f %.3f %zu %ld %.3f %.3f %.3f %ld\n", openMs, sortMs, findMs, byDate.n, startKb, openCpu,
           sortCpu, findCpu, viewPeakKb);
    free(hits.ids);
    free(byDate.ids);
    sqlite3_close(db);
    return 0;
}
