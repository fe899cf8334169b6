mainwindow/quillon_gui_resources_1_autogen/timestamp: \
  /root/.cache/quillon/qt-6.4.2-mingw-x86_64/lib/cmake/Qt6Core/Qt6CoreConfigureFileTemplate.in \
  mainwindow/.rcc/qrc_icons.cpp \
  mainwindow/versinfo_quillon/versinfo.qrc \
  /work/main/mainwindow/CMakeLists.txt \
  /work/main/orvabout/versinfo.ini.in \
  /work/main/orvabout/versinfo.qrc.in \
  /usr/bin/cmake
