# Runs the skin generator into WORK and fails unless every picture it draws is byte for byte the
# committed one in ASSETS, has the size the window layout places it at (twice that in ASSETS/2x/),
# is an opaque RGB PNG, and is listed in ASSETS/assets.qrc, with no committed picture left that the
# generator no longer draws.
# The program's icons (ASSETS/icons/) are checked the same way, as square PNGs with alpha.
#
#   cmake -D GENERATOR=<skin_generator> -D ASSETS=<repo>/assets -D WORK=<scratch folder> -P skin_generator_test.cmake
cmake_minimum_required(VERSION 3.25)

# The sizes are those of the window layout, kept here independently of the generator's own table.
set(expected_images
  top_bar.png:902:107 lcd.png:599:58 button_red.png:131:21 button_grey.png:131:21
  lower_bar.png:902:90 info_box.png:218:30 bottom_bar.png:902:49 tools_panel.png:902:97
  preset_outdoors_vivid.png:81:66 preset_backlight.png:81:66 preset_indoors_flash.png:81:66
  preset_indoors_no_flash.png:81:66 preset_outdoors_too_shiny.png:81:66 preset_outdoors_cloudy.png:81:66
  preset_outdoors.png:81:66 preset_indoors_mixed_light.png:81:66 preset_indoors_bulb_lamp.png:81:66
  light_scale.png:122:43 light_indicator.png:5:25 dark_button.png:32:22 light_button.png:32:22
  strength_track.png:348:17 strength_knob.png:9:15 strength_knob_hover.png:9:15 strength_knob_pressed.png:9:15
  caption_bar.png:426:15 correction_on.png:49:46 correction_off.png:49:50
  camera.png:77:53 camera_faded.png:77:53 phone.png:65:53 phone_faded.png:65:53
  tools_sign.png:151:62 tools_sign_faded.png:152:62
  close.png:22:22 close_hover.png:22:22 minimise.png:23:22 minimise_hover.png:23:22
  previous.png:63:21 previous_hover.png:63:21 previous_pressed.png:63:21
  next.png:63:21 next_hover.png:63:21 next_pressed.png:63:21
  maximise.png:23:22 maximise_hover.png:23:22 restore.png:23:22 restore_hover.png:23:22
  splash.png:334:314)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATOR} ${WORK} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed (${status}): ${errors}")
endif()

# Adds to `failures` when the committed picture `name` is not byte for byte what the
# generator draws now (a macro, so that it appends to the caller's list).
macro(check_drawn_as_committed name)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name} ${ASSETS}/${name} RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    string(APPEND failures "\n  assets/${name} differs from what the generator draws now (${WORK}/${name})")
  endif()
endmacro()

# Width, height and colour type from the PNG header (IHDR starts at byte 16).
function(png_header path out_width out_height out_colour_type)
  file(READ ${path} header OFFSET 16 LIMIT 10 HEX)
  string(SUBSTRING ${header} 0 8 width_hex)
  string(SUBSTRING ${header} 8 8 height_hex)
  string(SUBSTRING ${header} 18 2 colour_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  math(EXPR colour "0x${colour_hex}")
  set(${out_width} ${width} PARENT_SCOPE)
  set(${out_height} ${height} PARENT_SCOPE)
  set(${out_colour_type} ${colour} PARENT_SCOPE)
endfunction()

file(READ ${ASSETS}/assets.qrc qrc)
set(failures "")
set(expected_names "")
# Each picture twice: as the layout places it, and drawn anew at twice the size in 2x/ for fine screens.
foreach(scale 1 2)
  if(scale EQUAL 1)
    set(prefix "")
  else()
    set(prefix "${scale}x/")
  endif()
  foreach(entry ${expected_images})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 file)
    list(GET parts 1 want_width)
    list(GET parts 2 want_height)
    math(EXPR want_width "${want_width} * ${scale}")
    math(EXPR want_height "${want_height} * ${scale}")
    set(name ${prefix}${file})
    list(APPEND expected_names ${name})
    if(NOT EXISTS ${WORK}/${name})
      string(APPEND failures "\n  the generator did not draw ${name}")
      continue()
    endif()
    if(NOT EXISTS ${ASSETS}/${name})
      string(APPEND failures "\n  ${name} is not committed in assets/")
      continue()
    endif()
    check_drawn_as_committed(${name})
    png_header(${ASSETS}/${name} width height colour_type)
    if(NOT width EQUAL want_width OR NOT height EQUAL want_height)
      string(APPEND failures "\n  ${name} is ${width} x ${height}, the layout needs ${want_width} x ${want_height}")
    endif()
    # Colour type 2 is RGB without alpha: the pictures are opaque.
    if(NOT colour_type EQUAL 2)
      string(APPEND failures "\n  ${name} has PNG colour type ${colour_type}, expected opaque RGB (2)")
    endif()
    string(FIND "${qrc}" "<file>${name}</file>" listed)
    if(listed EQUAL -1)
      string(APPEND failures "\n  ${name} is not listed in assets/assets.qrc")
    endif()
  endforeach()
endforeach()

# Nothing extra: no stale committed picture, no picture the layout does not know.
foreach(folder ${WORK} ${ASSETS})
  file(GLOB present RELATIVE ${folder} ${folder}/*.png ${folder}/2x/*)
  foreach(name ${present})
    if(NOT name IN_LIST expected_names)
      string(APPEND failures "\n  ${folder}/${name} is not one of the layout's pictures")
    endif()
  endforeach()
endforeach()
# The program's icons for the desktop: square, with an alpha channel (PNG colour type 6), installed
# beside the program rather than compiled into it.
set(icon_sizes 16 22 24 32 48 64 128 256 512)
set(expected_icons "")
foreach(size ${icon_sizes})
  set(name icons/icon_${size}.png)
  list(APPEND expected_icons icon_${size}.png)
  if(NOT EXISTS ${WORK}/${name} OR NOT EXISTS ${ASSETS}/${name})
    string(APPEND failures "\n  ${name} is not both drawn and committed")
    continue()
  endif()
  check_drawn_as_committed(${name})
  png_header(${ASSETS}/${name} width height colour_type)
  if(NOT width EQUAL size OR NOT height EQUAL size OR NOT colour_type EQUAL 6)
    string(APPEND failures "\n  ${name} is ${width} x ${height} of PNG colour type ${colour_type}, not ${size} x ${size} with alpha (6)")
  endif()
endforeach()
foreach(folder ${WORK}/icons ${ASSETS}/icons)
  file(GLOB present RELATIVE ${folder} ${folder}/*)
  foreach(name ${present})
    if(NOT name IN_LIST expected_icons)
      string(APPEND failures "\n  ${folder}/${name} is not one of the program's icons")
    endif()
  endforeach()
endforeach()

string(REGEX MATCHALL "<file>[^<]*</file>" qrc_files "${qrc}")
list(LENGTH qrc_files qrc_count)
list(LENGTH expected_names expected_count)
if(NOT qrc_count EQUAL expected_count)
  string(APPEND failures "\n  assets.qrc lists ${qrc_count} files, expected ${expected_count}")
endif()

if(failures)
  message(FATAL_ERROR "Skin assets out of date; run skin_generator (it writes assets/ by default) and commit:${failures}")
endif()
list(LENGTH expected_names count)
list(LENGTH icon_sizes icon_count)
message(STATUS "All ${count} skin pictures (both scales) and ${icon_count} icons match the generator")
