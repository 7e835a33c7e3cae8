#!/bin/sh
# The launcher a Linux administrator would write instead of the program: the yardstick of the
# launch benchmark. Same job: pick the first installed Java runtime of version 1.5 or later, copy
# the missing serial extension files into it, start Vexmora in the background and end.
app=$(cd "$(dirname "$0")" && pwd)
source_folder=/opt/maradel/GsmModemJar

runtimes=$(
    for folder in /usr/lib/jvm/* /usr/lib64/jvm/*; do
        [ -f "$folder/release" ] || continue
        version=$(sed -n 's/^JAVA_VERSION="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' "$folder/release")
        [ -n "$version" ] && printf '%s\t%s\n' "$version" "$(readlink -f "$folder")"
    done | sort -f -t "$(printf '\t')" -k1,1 -u
)
java_home=$(printf '%s\n' "$runtimes" | awk -F '\t' '
    { prefix = substr($1, 1, 3) }
    prefix ~ /^[0-9]*\.?[0-9]*$/ && prefix + 0 >= 1.5 { print $2; exit }')
if [ -z "$java_home" ]; then
    echo "No Java runtime of version 1.5 or later is installed." >&2
    exit 2
fi

for file in lib/ext/Comm.jar lib/javax.comm.properties bin/Win32com.dll lib/ext/jdc.jar; do
    if [ ! -f "$java_home/$file" ]; then
        cp "$source_folder/${file##*/}" "$java_home/${file%/*}/" || {
            echo "Error While Copying JAR File" >&2
            break
        }
    fi
done

lib="$app/Vexmora/lib"
class_path="$lib/comm.jar:$lib/jdc.jar:$lib/jxl.jar:$lib/log4j-1.2.8.jar:$lib/Vexmora.jar"
class_path="$class_path:$lib/slf4j-log4j12-1.1.0.jar:$lib/slf4j-api-1.1.0.jar"
class_path="$class_path:$lib/slf4j-simple-1.1.0.jar:$lib/swing-layout-1.0.jar"
class_path="$class_path:$lib/win32com.dll.jar:$app/Vexmora"
cd "$app" && setsid "$java_home/bin/java" -classpath "$class_path" VEXMORA.Frame11 \
    </dev/null >/dev/null 2>&1 &
