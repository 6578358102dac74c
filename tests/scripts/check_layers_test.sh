#!/usr/bin/env bash
# Runs scripts/check-layers on small made-up trees: a clean one passes, and
# each kind of offence fails with the offending file and line named.
set -uo pipefail
check="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0

# A tree that keeps every rule.
clean() {
  rm -rf "$work/tree" && mkdir -p "$work/tree"
  cd "$work/tree" || exit 1
  mkdir -p catalogue gui/base gui/draw/detail gui/windows/detail controls shapedwin htmlview app/bass content tools tests/gui bench/audio
  printf '#include <string>\n' > catalogue/Catalogue.h
  printf '#include "gui/base/Types.h"\n#include "gui/draw/Gdi.h"\n#include <QWidget>\n' > gui/windows/Forms.cpp
  printf '#include "gui/base/Classes.h"\n#include "gui/draw/detail/Internal.h"\n' > gui/draw/Graphics.cpp
  printf '#include <QtGui/QImage>\n' > gui/draw/detail/Internal.h
  printf '#include "gui/windows/Forms.h"\n' > controls/Slider.cpp
  printf '#include "gui/draw/Region.h"\n' > shapedwin/Mask.cpp
  printf '#include "gui/draw/Gdi.h"\n' > htmlview/Gif.cpp
  printf '#include "controls/Slider.h"\n#include "shapedwin/Mask.h"\n#include "catalogue/Catalogue.h"\n' > app/Unit1.cpp
  printf '#include <SDL.h>\n#include <libopenmpt/libopenmpt.hpp>\n' > app/bass/Bass.cpp
  printf '#include "catalogue/Catalogue.h"\n' > content/Composer.h
  printf '#include "app/bass/Bass.h"\n#include "content/Composer.h"\n' > tools/main.cpp
  printf '#include <QKeyEvent>\n#include "gui/draw/detail/Internal.h"\n' > tests/gui/qt_test.cpp
  printf '#include <libopenmpt/libopenmpt.hpp>\n' > bench/audio/bench.cpp
  printf 'target_link_libraries(gui PRIVATE Qt6::Gui)\n' > gui/CMakeLists.txt
  printf 'target_link_libraries(bass PRIVATE PkgConfig::SDL2)\n' > app/bass/CMakeLists.txt
}

expect_pass() {
  local out
  if ! out=$("$check" "$work/tree" 2>&1); then
    echo "FAIL: clean tree rejected:"; echo "$out"; failed=1
  fi
}

# expect_fail NAME FILE:LINE: the check must fail and name that place.
expect_fail() {
  local out
  if out=$("$check" "$work/tree" 2>&1); then
    echo "FAIL ($1): violation not caught"; failed=1
  elif ! grep -q "^$2: " <<<"$out"; then
    echo "FAIL ($1): expected $2 in:"; echo "$out"; failed=1
  fi
}

clean; expect_pass

clean; printf '#include "gui/windows/Forms.h"\n#include "shapedwin/Mask.h"\n' >> controls/Slider.cpp
expect_fail "peer include" controls/Slider.cpp:3

clean; printf '#include "controls/Slider.h"\n' > gui/draw/Gdi.cpp
expect_fail "upward include" gui/draw/Gdi.cpp:1

clean; printf '#include "gui/base/Types.h"\n#include "gui/windows/Forms.h"\n' > gui/draw/Canvas.cpp
expect_fail "drawing reaching for windows" gui/draw/Canvas.cpp:2

clean; printf '#include "gui/draw/Gdi.h"\n' > gui/base/Streams.cpp
expect_fail "base reaching for drawing" gui/base/Streams.cpp:1

clean; printf '#include <string>\n#include "gui/windows/detail/win_State.h"\n' > gui/base/Lists.h
expect_fail "base reaching for windows" gui/base/Lists.h:2

clean; printf '#include "app/Unit1.h"\n' >> catalogue/Catalogue.h
expect_fail "catalogue above the bottom" catalogue/Catalogue.h:2

clean; printf '#include <string>\n#include "app/Catalogue.h"\n' > content/Release.h
expect_fail "content reaching into app" content/Release.h:2

clean; printf '#  include <QString>\n' > app/Unit2.cpp
expect_fail "Qt outside gui" app/Unit2.cpp:1

clean; printf '#include <QtCore/QString>\n' > gui/base/Types.h
expect_fail "Qt in a public gui header" gui/base/Types.h:1

clean; printf '#include "gui/draw/detail/Internal.h"\n' > htmlview/Dither.cpp
expect_fail "private gui header" htmlview/Dither.cpp:1

clean; printf '#include "htmlview/HtmlSections.h"\n#include "htmlview/HtmlImages.h"\n' > htmlview/HtmlSections.cpp
expect_fail "section base reaching for the images" htmlview/HtmlSections.cpp:2

clean; printf '#include <SDL2/SDL_audio.h>\n' > controls/Beep.cpp
expect_fail "SDL outside app/bass" controls/Beep.cpp:1

clean; printf '#include <libopenmpt/libopenmpt.hpp>\n' > app/Unit5.cpp
expect_fail "libopenmpt outside app/bass" app/Unit5.cpp:1

clean; printf '#include <SDL.h>\n' > app/bass/Bass.h
expect_fail "the audio header showing SDL" app/bass/Bass.h:1

clean; mkdir -p tests/app; printf '#include <SDL.h>\n' > tests/app/sdl_test.cpp
expect_fail "SDL in a test" tests/app/sdl_test.cpp:1

clean; printf 'target_link_libraries(controls PRIVATE\n  Qt6::Widgets)\n' > controls/CMakeLists.txt
expect_fail "linking Qt outside gui" controls/CMakeLists.txt:2

clean; mkdir -p tests/app; printf 'korvane_test(x LIBS PkgConfig::OPENMPT)\n' > tests/app/CMakeLists.txt
expect_fail "linking libopenmpt outside app/bass" tests/app/CMakeLists.txt:1

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "check-layers: every case behaved"
