# Sourced by the end-to-end tests, on Linux and under Wine: the program's fixed texts, spelled out
# here once and never read from the program, so that a text changed there fails the tests.
# shellcheck shell=sh
# The tests that source it read its variables.
# shellcheck disable=SC2034

# Java runtime discovery: no runtime key, no version of 1.5 or later, and any other failure.
not_installed_text='You have not Installed Java Runtime Environment on your computer.
Download and install Java Runtime Environment Version 1.5 or higher version.
Please refer installtion guide of Pellatone for further help'
no_suitable_text='Java Runtime Environment version 1.5 or higher version is not avaiable'
searching_failed_text='Error While Searching JVM on Your Machine'

# Shown after the description of a failed copy of an extension file.
copying_failed_text='Error While Copying JAR File'
# foreign_file_text PATH: the description of a file another program put in place meanwhile that
# differs from ours.
foreign_file_text() {
    printf 'File already exists: %s\nIt differs from the file being installed. Remove it and start Pellatone again.\n' "$1"
}

# Vexmora's class path: these jar files in Vexmora/lib, in this order, then Vexmora itself; and
# the class java is started on.
vexmora_jars='comm.jar jdc.jar jxl.jar log4j-1.2.8.jar Vexmora.jar slf4j-log4j12-1.1.0.jar
    slf4j-api-1.1.0.jar slf4j-simple-1.1.0.jar swing-layout-1.0.jar win32com.dll.jar'
vexmora_main_class='VEXMORA.Frame11'

# class_path_entries APP-FOLDER SEPARATOR: the class path's eleven entries under APP-FOLDER, one a
# line, with SEPARATOR ("/" or "\") between folders.
class_path_entries() {
    for class_path_jar in $vexmora_jars; do
        printf '%s\n' "$1$2Vexmora$2lib$2$class_path_jar"
    done
    printf '%s\n' "$1$2Vexmora"
}

# headless TEXT: the lines the program writes to standard error for TEXT without a display.
headless() {
    printf '%s\n' "$1" | sed 's/^/Pellatone: /'
}

# in_box TEXT: TEXT as message_box_clicker records a box's text, each line break written \r\n.
in_box() {
    printf '%s\n' "$1" | awk 'NR > 1 { printf "\\r\\n" } { printf "%s", $0 }'
}
