#!/usr/bin/env python3
"""Checks the built Windows program the way Windows' loader would, where Wine is lenient.

    program_image_test.py PELLATONE_EXE OBJDUMP C_COMPILER

- every load-time import is a KnownDLL of Windows 7, so none can be planted beside the program;
- every imported function exists on Windows 7 SP1 as it ships;
- the PE header asks for Windows 7 (6.1) and carries ASLR, DEP, terminal-server awareness and the
  large address space;
- the manifest names the image's own architecture, asks for common controls 6 and GDI scaling, and
  leaves the program DPI-unaware.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

# Windows 7 SP1's HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs (ntdll is always
# mapped from System32 too).
KNOWN_DLLS_WINDOWS_7 = {
    "advapi32", "clbcatq", "comdlg32", "difxapi", "gdi32", "iertutil", "imagehlp", "imm32",
    "kernel32", "lpk", "msctf", "msvcrt", "normaliz", "nsi", "ntdll", "ole32", "oleaut32",
    "psapi", "rpcrt4", "sechost", "setupapi", "shell32", "shlwapi", "urlmon", "user32", "usp10",
    "wininet", "wldap32", "ws2_32",
}
# Declared by the headers whatever Windows is asked for, yet missing from Windows 7 SP1 as it
# ships: the DLL directory calls come with update KB2533623, the precise clock with Windows 8 (newer
# threading runtimes call it).
NOT_ON_WINDOWS_7 = {"AddDllDirectory", "RemoveDllDirectory", "SetDefaultDllDirectories",
                    "GetSystemTimePreciseAsFileTime"}
# msvcrt.dll's start-up entry points and data, which the C runtime's start-up code uses and the
# public headers declare not at all or (64-bit) only as macros; msvcrt.dll has had them since
# Windows 2000.
CRT_START_UP_ENTRIES = {"__getmainargs", "__initenv", "__mb_cur_max", "__p__commode", "_commode",
                        "__set_app_type", "_acmdln", "_amsg_exit", "_fmode", "_initterm", "_iob"}
HEADERS = ["windows.h", "wincrypt.h", "shlwapi.h", "ole2.h", "olectl.h", "stdio.h", "stdlib.h",
           "string.h", "wchar.h", "locale.h", "signal.h", "setjmp.h", "process.h", "io.h",
           "errno.h", "math.h"]
MACHINE_ARCHITECTURE = {"i386": "x86", "x86-64": "amd64", "aarch64-little": "arm64"}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def pe_dump(program, objdump):
    return subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                          text=True).stdout


def imports_by_dll(dump):
    imports, dll = {}, None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1)
            imports[dll] = []
        elif line.startswith("The "):
            dll = None
        elif dll and re.match(r"\t[0-9a-f]+\t +\d+ +\S", line):
            imports[dll].append(line.split()[-1])
    return imports


def check_imports(imports, compiler):
    for dll in imports:
        check(dll.lower().removesuffix(".dll") in KNOWN_DLLS_WINDOWS_7,
              f"{dll} is imported at load time but is no KnownDLL on Windows 7: "
              "Windows would look for it beside the program first")
    names = sorted({name for functions in imports.values() for name in functions})
    for name in sorted(NOT_ON_WINDOWS_7.intersection(names)):
        check(False, f"{name} is imported, but Windows 7 SP1 as it ships lacks it")
    # Each name must be declared by the headers for Windows 7; the compiler names every one that
    # is not.
    referenced = [name for name in names
                  if name not in CRT_START_UP_ENTRIES | NOT_ON_WINDOWS_7]
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "imports.c")
        with open(source, "w", encoding="ascii") as file:
            file.writelines(f"#include <{header}>\n" for header in HEADERS)
            file.write("const void *const references[] = {\n")
            file.writelines(f"    (const void *)&{name},\n" for name in referenced)
            file.write("};\n")
        compiled = subprocess.run(
            [compiler, "-c", "-w", "-fmax-errors=0", "-DWIN32_LEAN_AND_MEAN",
             "-D_WIN32_WINNT=0x0601", "-DWINVER=0x0601", "-DNTDDI_VERSION=0x06010000", source,
             "-o", os.path.join(folder, "imports.o")], capture_output=True, text=True,
            env=dict(os.environ, LC_ALL="C"))
    undeclared = sorted(set(re.findall(r"'(\w+)' undeclared", compiled.stderr)))
    for name in undeclared:
        check(False, f"{name} is imported but not declared for Windows 7 (_WIN32_WINNT=0x0601)")
    check(compiled.returncode == 0 or undeclared,
          f"the imports could not be checked against the headers:\n{compiled.stderr}")


def header_value(dump, field):
    found = re.search(rf"^{field}\s+(\S+)", dump, re.MULTILINE)
    return found.group(1) if found else None


def check_header(dump):
    versions = {field: header_value(dump, field) for field in
                ("MajorOSystemVersion", "MinorOSystemVersion", "MajorSubsystemVersion",
                 "MinorSubsystemVersion")}
    check(versions == {"MajorOSystemVersion": "6", "MinorOSystemVersion": "1",
                       "MajorSubsystemVersion": "6", "MinorSubsystemVersion": "1"},
          f"the PE header does not ask for Windows 7 (6.1): {versions}")
    check(header_value(dump, "Subsystem") == "00000002", "the program is no Windows GUI program")
    dll_characteristics = int(header_value(dump, "DllCharacteristics") or "0", 16)
    for flag, name in ((0x0040, "DYNAMIC_BASE (ASLR)"), (0x0100, "NX_COMPAT (DEP)"),
                       (0x8000, "TERMINAL_SERVER_AWARE")):
        check(dll_characteristics & flag, f"the PE header lacks {name}")
    characteristics = int(header_value(dump, "Characteristics") or "0", 16)
    check(characteristics & 0x0020, "the PE header lacks LARGE_ADDRESS_AWARE")


def embedded_manifest(program):
    extracted = subprocess.run(["wrestool", "-x", "--raw", "--type=24", "--name=1", program],
                               check=True, capture_output=True)
    check(extracted.stdout, "the program carries no manifest (resource 24, 1)")
    return ElementTree.fromstring(extracted.stdout) if extracted.stdout else None


def check_manifest(manifest, architecture):
    identity = manifest.find(f"{ASM_V1}assemblyIdentity")
    named = identity.get("processorArchitecture") if identity is not None else None
    check(named in (architecture, "*"),
          f"the manifest names processorArchitecture {named!r}, the image is {architecture}")
    controls = [found for found in manifest.iter(f"{ASM_V1}assemblyIdentity")
                if found.get("name") == "Microsoft.Windows.Common-Controls"]
    check(any(found.get("version") == "6.0.0.0" and found.get("processorArchitecture") == "*"
              and found.get("publicKeyToken") == "6595b64144ccf1df" for found in controls),
          "the manifest does not depend on common controls 6 (processorArchitecture *)")
    settings = {element.tag.split("}")[1]: (element.text or "").strip()
                for element in manifest.iter() if "WindowsSettings" in element.tag}
    check(settings.get("dpiAware") == "false", f"the program is not left DPI-unaware: {settings}")
    check(settings.get("gdiScaling") == "true", f"the manifest does not ask for gdiScaling: {settings}")


def main():
    program, objdump, compiler = sys.argv[1:4]
    dump = pe_dump(program, objdump)
    machine = re.search(r"file format pei-(\S+)", dump)
    architecture = MACHINE_ARCHITECTURE.get(machine.group(1)) if machine else None
    check(architecture, "the PE machine type is unknown")
    check_imports(imports_by_dll(dump), compiler)
    check_header(dump)
    manifest = embedded_manifest(program)
    if manifest is not None:
        check_manifest(manifest, architecture)
    for failure in failures:
        print(f"FAIL: {failure}", file=sys.stderr)
    print("PASS" if not failures else f"{len(failures)} problem(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
