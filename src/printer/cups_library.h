#pragma once
// The few libcups entry points used beside Qt's own CUPS support. libcups is there wherever
// Qt's CUPS support is; it is loaded by name because the project builds without its headers, and
// these entry points have kept their signatures since CUPS 1.1. Each is null when libcups cannot
// be loaded.
struct CupsOption {
    char* name;
    char* value;
};

struct CupsLibrary {
    int (*cupsPrintFile)(const char* printer, const char* file, const char* title, int count,
                         CupsOption* options) = nullptr;
    const char* (*cupsLastErrorString)() = nullptr;
    // The server libcups talks to: a domain socket path, "host" or "host:port".
    const char* (*cupsServer)() = nullptr;
    int (*ippPort)() = nullptr;
};

const CupsLibrary& Cups();
