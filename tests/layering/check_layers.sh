#!/bin/sh
# The operations and the serial port sit below the windows: no file of theirs
# includes a header of mainwindow/, widgets/, cli/ or Qt's widgets. The
# image reader sits below the device link, the front-end interface below both,
# and the station that wires them above all of them.
# Usage: check_layers.sh SOURCE_DIR
src=${1:?source folder}
cd "$src" || exit 2
inc='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'
found=$(grep -rnE "$inc"'(mainwindow/|widgets/|cli/|QtWidgets|Q(Widget|Application|MessageBox|Dialog|FileDialog|Label|PushButton|ComboBox|LineEdit|CheckBox|MainWindow|Menu|Action)[>"])' \
    frontend link image upload options station comport
  grep -rnE "$inc"'station/' frontend link image upload options comport
  grep -rnE "$inc"'(link|upload)/' image frontend
  grep -rnE "$inc"'image/' frontend)
[ -z "$found" ] && exit 0
echo "layering: these includes point upward:"
echo "$found"
exit 1
