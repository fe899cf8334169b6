#!/bin/sh
# The operations and the serial port sit below the windows: no file of theirs
# includes a header of mainwindow/, widgets/, cli/ or Qt's widgets.
# Usage: check_layers.sh SOURCE_DIR
src=${1:?source folder}
found=$(cd "$src" && grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](mainwindow/|widgets/|cli/|QtWidgets|Q(Widget|Application|MessageBox|Dialog|FileDialog|Label|PushButton|ComboBox|LineEdit|CheckBox|MainWindow|Menu|Action)[>"])' \
    link image upload options comport)
[ -z "$found" ] && exit 0
echo "layering: these includes point upward:"
echo "$found"
exit 1
