# Precompiled headers: Qt's and GoogleTest's headers take most of a file's compile time, so
# each group of targets parses them once. The test programs share one set (and the widget
# tests another) built by a small object library each. -DCORVANE_PCH=OFF builds without them.
option(CORVANE_PCH "Precompile the common library headers" ON)

set(CORVANE_CORE_HEADERS
  <QString> <QStringList> <QByteArray> <QByteArrayView> <QHash> <QList> <QObject>
  <QDir> <QFileInfo> <QDateTime>
  <algorithm> <array> <functional> <memory> <optional> <utility> <vector>)
set(CORVANE_UI_HEADERS ${CORVANE_CORE_HEADERS}
  <QApplication> <QAction> <QComboBox> <QHeaderView> <QKeyEvent> <QLabel> <QMenu>
  <QMouseEvent> <QPainter> <QPushButton> <QScrollBar> <QTableView> <QWidget>)

function(corvane_precompile target)
  if(CORVANE_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# Makes `owner`, an object library linked like the test programs, hold the headers they share.
function(corvane_precompile_owner owner)
  if(CORVANE_PCH)
    add_library(${owner} OBJECT ${PROJECT_SOURCE_DIR}/tests/support/Precompiled.cpp)
    target_precompile_headers(${owner} PRIVATE ${ARGN})
  endif()
endfunction()

function(corvane_precompile_from target owner)
  if(CORVANE_PCH)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  endif()
endfunction()
