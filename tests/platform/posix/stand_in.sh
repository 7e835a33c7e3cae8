# Sourced by the end-to-end tests, after tests/support/expected_texts.sh: lays out an application
# folder like the installed one, with a stand-in VEXMORA.Frame11 in Vexmora/ (the eleventh
# class-path entry) and Vexmora/lib/ empty.
#   make_stand_in APP-FOLDER RECORD-FILE GO-FILE
# Once started, the stand-in waits (at most 60 s) until GO-FILE exists, then writes RECORD-FILE:
# what it was started with, one "name=value" a line.
make_stand_in() {
    stand_in_app=$1
    stand_in_record=$2
    stand_in_go=$3
    stand_in_source=$(mktemp -d)
    mkdir -p "$stand_in_app/Vexmora/lib" "$stand_in_source/VEXMORA"
    cat > "$stand_in_source/VEXMORA/Frame11.java" <<EOF
package VEXMORA;

import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;

public class Frame11 {
    public static void main(String[] args) throws Exception {
        Path go = Paths.get("$stand_in_go");
        Path record = Paths.get("$stand_in_record");
        long deadline = System.currentTimeMillis() + 60000;
        while (!Files.exists(go) && System.currentTimeMillis() < deadline) Thread.sleep(50);
        String stat = new String(Files.readAllBytes(Paths.get("/proc/self/stat")), "UTF-8");
        String[] after = stat.substring(stat.lastIndexOf(')') + 2).split(" ");
        String pid = stat.substring(0, stat.indexOf(' '));
        StringBuilder out = new StringBuilder();
        out.append("released=").append(Files.exists(go)).append('\n');
        out.append("user.dir=").append(System.getProperty("user.dir")).append('\n');
        out.append("java.class.path=").append(System.getProperty("java.class.path")).append('\n');
        out.append("arguments=").append(args.length).append('\n');
        out.append("own.session=").append(after[3].equals(pid)).append('\n');
        for (int fd = 0; fd < 3; fd++) {
            out.append("fd").append(fd).append('=')
               .append(Files.readSymbolicLink(Paths.get("/proc/self/fd/" + fd))).append('\n');
        }
        Path temporary = Paths.get(record + ".tmp");
        Files.write(temporary, out.toString().getBytes("UTF-8"));
        Files.move(temporary, record, StandardCopyOption.ATOMIC_MOVE);
    }
}
EOF
    javac -nowarn -Xlint:-options --release 8 -d "$stand_in_app/Vexmora" \
        "$stand_in_source/VEXMORA/Frame11.java"
    stand_in_status=$?
    rm -rf "$stand_in_source"
    [ "$stand_in_status" -eq 0 ] && [ -f "$stand_in_app/Vexmora/VEXMORA/Frame11.class" ]
}

# The class path the program must give the stand-in: the eleven entries under APP-FOLDER.
expected_class_path() {
    class_path_entries "$1" / | paste -sd: -
}

# What the stand-in records when started as it must be: released, in APP-FOLDER, with the eleven
# class-path entries and no arguments, in a session of its own, its streams on /dev/null.
expected_record() {
    cat <<EOF
released=true
user.dir=$1
java.class.path=$(expected_class_path "$1")
arguments=0
own.session=true
fd0=/dev/null
fd1=/dev/null
fd2=/dev/null
EOF
}
