#pragma once
// Installs an in-memory print system for one test and removes it afterwards.
#include "printer/memory_print_system.h"
#include "printer/print_system.h"
#include "printer/printer.h"

struct TMemoryPrinters {
    MemoryPrintSystem system;
    PrintSystem* previous;
    TMemoryPrinters() : previous(PrintSystem::SetInstance(&system)) {}
    ~TMemoryPrinters() { PrintSystem::SetInstance(previous); }

    // Adds a printer and lets the application-wide printer object see it.
    MemoryPrinter& Add(MemoryPrinter printer)
    {
        MemoryPrinter& added = system.AddPrinter(std::move(printer));
        Printer().Refresh();
        return added;
    }
    void RemoveAll()
    {
        system.RemoveAll();
        Printer().Refresh();
    }

    // The default printer "Office" at a low resolution: its sheets are small pictures that still
    // tell pages apart.
    MemoryPrinter& AddOffice()
    {
        MemoryPrinter p;
        p.name = "Office";
        p.isDefault = true;
        p.dpiX = p.dpiY = 20;
        return Add(p);
    }

    // A default printer whose driver lists every named paper size and lets everything be set.
    MemoryPrinter& AddAcceptingEverything(const std::string& name = "Everything")
    {
        MemoryPrinter p;
        p.name = name;
        p.isDefault = true;
        p.paperCodes.clear();
        for (uint16_t code = 1; code <= 26; ++code)
            p.paperCodes.push_back(code);
        return Add(p);
    }
};
