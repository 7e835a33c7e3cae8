#pragma once

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace pellatone::testing {

// Points this program's imports of one DLL function at a replacement while the patch lives. Every
// call the program's own code makes to a DLL goes through its import address table, so swapping
// the table's entries reaches them all; other modules keep the real function.
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement) {
        auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* const headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        // The linker may give one DLL several descriptors: each has its own table entry.
        for (auto* descriptor =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             descriptor->Name != 0; ++descriptor) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0 ||
                descriptor->OriginalFirstThunk == 0) {
                continue;
            }
            // The names stay in the lookup table; the loader wrote the addresses beside them.
            const auto* name =
                reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
            auto* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
            for (; name->u1.AddressOfData != 0; ++name, ++entry) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    entries_.push_back(reinterpret_cast<void**>(&entry->u1.Function));
                }
            }
        }
        if (entries_.empty()) throw std::runtime_error(std::string("no import of ") + function);
        original_ = *entries_.front();
        for (void** slot : entries_) {
            if (!Write(slot, replacement))
                throw std::runtime_error("cannot write the import table");
        }
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch() {
        for (void** slot : entries_) (void)Write(slot, original_);
    }

    [[nodiscard]] void* Original() const { return original_; }

private:
    // The table lies in memory the loader made read-only.
    static bool Write(void** slot, void* value) {
        DWORD protection = 0;
        if (::VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection) == 0) return false;
        *slot = value;
        ::VirtualProtect(slot, sizeof(*slot), protection, &protection);
        return true;
    }

    std::vector<void**> entries_;
    void* original_ = nullptr;
};

}  // namespace pellatone::testing
