/* The catalog benchmark's data, shared by the catalog engine's side (a Windows program) and the
 * SQLite side (a native program): record i of n, its texts and its 4 KB thumbnail (a packed
 * 32 x 42 24-bit DIB, 4072 bytes), the same bytes on both sides. Plain C so both can include it. */
#ifndef CATALOG_BENCH_DATA_H
#define CATALOG_BENCH_DATA_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>

enum { BENCH_THUMB_W = 32, BENCH_THUMB_H = 42, BENCH_THUMB_BYTES = 40 + 96 * 42 };

struct BenchRecord {
    char name[13];
    char longName[64];
    char title[60];
    char keywords[88];
    char description[120];
    char format[8];
    char fileSize[8];
    char date[11];
    char time[9];
    char path[65];
    char volume[12];
    int width, height, bits;
};

static void benchRecord(unsigned i, struct BenchRecord* r)
{
    memset(r, 0, sizeof *r);
    snprintf(r->name, sizeof r->name, "I%07u.JPG", i);
    snprintf(r->longName, sizeof r->longName, "Holiday photo number %06u on the beach.jpg", i);
    snprintf(r->title, sizeof r->title, "Title of image %u", i);
    snprintf(r->keywords, sizeof r->keywords, "kw%u beach summer", i % 97);
    snprintf(r->description, sizeof r->description, "Description of image %u\r\nsecond line", i);
    strcpy(r->format, "JPEG");
    snprintf(r->fileSize, sizeof r->fileSize, "%u", 100000 + i % 900000);
    snprintf(r->date, sizeof r->date, "%02u/%02u/%04u", 1 + i % 12, 1 + i % 28, 1990 + i % 30);
    snprintf(r->time, sizeof r->time, "%02u:%02u:%02u", i % 24, i % 60, (i * 7) % 60);
    snprintf(r->path, sizeof r->path, "\\\\SERVER\\PHOTOS\\%04u\\", i / 1000);
    strcpy(r->volume, "PHOTOS");
    r->width = 640 + (int)(i % 100);
    r->height = 480;
    r->bits = 24;
}

static void benchPut32(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v; p[1] = (uint8_t)(v >> 8); p[2] = (uint8_t)(v >> 16); p[3] = (uint8_t)(v >> 24);
}

/* The thumbnail of record i into out (BENCH_THUMB_BYTES bytes). */
static void benchThumbnail(unsigned i, uint8_t* out)
{
    memset(out, 0, 40);
    benchPut32(out, 40);
    benchPut32(out + 4, BENCH_THUMB_W);
    benchPut32(out + 8, BENCH_THUMB_H);
    out[12] = 1;
    out[14] = 24;
    uint32_t s = i * 2654435761u + 12345u;
    for (int k = 40; k < BENCH_THUMB_BYTES; ++k) {
        s = s * 1103515245u + 12345u;
        out[k] = (uint8_t)((k * 3 + i) ^ (s >> 24));
    }
}

/* The order of the random lookups and of the late inserts: a fixed permutation of 0..n-1. */
static unsigned benchShuffled(unsigned k, unsigned n) { return (unsigned)((k * 7919ull + 13) % n); }

#endif
