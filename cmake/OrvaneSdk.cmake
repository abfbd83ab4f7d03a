# The host API headers, and with them the kind of build.
#
#   - Stand-in build (ORVANE_SDK_DIR empty, the default): our own sdk/, which the headless host
#     shares. For orvane-host and the structural checks only; nothing is ever installed.
#   - Application build (ORVANE_SDK_DIR names the vendor's SDK): each header the plug-in includes
#     is looked for anywhere below that folder and the folders holding them are added. Builds the
#     plug-in alone and installs it into dist/windows or dist/macos.
#
# Included before project(), so that a missing header stops the configure before any compiler is
# looked for. Sets ORVANE_APPLICATION_BUILD, ORVANE_SDK_INCLUDE_DIRS and ORVANE_SDK_IS_STAND_IN.

# The headers the plug-in's sources (plugin/, ui/, geometry/, sdk_util/, resources/) include from
# the host SDK, by the SDK's names. tests/sdk/check_sdk_names.py holds this list to the sources'
# includes and to the files in sdk/.
set(ORVANE_SDK_HEADERS
  A.h SPBasic.h AE_Effect.h AE_EffectCB.h AE_EffectCBSuites.h AE_EffectSuites.h AE_EffectUI.h
  AE_GeneralPlug.h AE_AdvEffectSuites.h DrawbotSuite.h)
get_filename_component(ORVANE_STAND_IN_SDK ${CMAKE_CURRENT_LIST_DIR}/../sdk ABSOLUTE)
# How a copy of sdk/ is told from the vendor's SDK, whichever copy it is: the folder holds this
# file (which declares nothing; since the switch to the vendor's headers), or a header the build
# would take from it names this project (the include guards ORVANE_SDK_*_H of the first copies,
# the stand-in line every header carries now; tests/sdk/check_sdk_names.py keeps that line in
# each), or a header has the same bytes as one of ours: those of sdk/ now, or of the headers sdk/
# held between the marker and the stand-in line, the only ones that name nothing of ours (listed
# here, so that a copy of them without the marker is known too). The vendor's headers never say
# "Orvane". tests/sdk/check_stand_in_history.py tries the sdk/ of every commit that changed it.
set(ORVANE_STAND_IN_MARKER OrvaneStandIn.h)
set(ORVANE_STAND_IN_NAME_REGEX "[Oo][Rr][Vv][Aa][Nn][Ee]")
set(ORVANE_STAND_IN_UNNAMED_DIGESTS
    5d515889e47ff00c25f489aadb41678feccccab0cb4609252b8a561d2cf05620
    c114f057a17e782fa30182e1908c00d99ea768424ee478d3695a19ac5b353dc6
    b599609addb295518dc7f52581325021c8646dd20d465e0d96b2b87deaac6af1
    34a1bfb591b056a3eb9ce90758f762a662d87c249cba530a93226a96071bf7c0
    be0060fde8de164998814b57c3c5f485cdcdbc35e0a96fcd103897ceb7623489
    f043ec741cd78ce843be53be143a5b1f9faf2f11bb6e0f1242599cc399805a00
    2424df20c112150fef965a4febddfabcd8400128aaa0709431528b7cbf258b28
    c3937415928dbb67e01b664a1af4a65c4666ed58121be855b032e86b38d49516
    d5af9a2b3e85ab53be8e1aadc7e9dab1b9013651ac64b92c2ab7e8beda227cd2
    7b5ce75f1a6c40729b669f29845a3892fe3ec0da05cfa304619f3079404a8b5e
)

# Build folders configured before application builds existed hold the stand-in folder here as
# the old default: that was a stand-in build, and stays one.
if(DEFINED CACHE{OrvaneTavolin_BINARY_DIR} AND NOT DEFINED CACHE{ORVANE_SDK_DIR_EMPTY_DEFAULT}
   AND "$CACHE{ORVANE_SDK_DIR}" STREQUAL "${ORVANE_STAND_IN_SDK}")
  set_property(CACHE ORVANE_SDK_DIR PROPERTY VALUE "")
endif()
set(ORVANE_SDK_DIR_EMPTY_DEFAULT ON CACHE INTERNAL "ORVANE_SDK_DIR defaults to empty")

set(ORVANE_SDK_DIR "" CACHE PATH
    "Application build: a folder of the vendor's SDK; its headers are looked for below it")
option(ORVANE_REQUIRE_SDK "Stop unless ORVANE_SDK_DIR is given (the application presets)" OFF)
option(ORVANE_ALLOW_STAND_IN_SDK
       "Build against a stand-in found in ORVANE_SDK_DIR, installing nothing (the switch test only)"
       OFF)

# Finds each of ORVANE_SDK_HEADERS below ROOT. Sets ORVANE_SDK_INCLUDE_DIRS and
# ORVANE_SDK_IS_STAND_IN in the caller; stops with one message naming every header that is
# missing or found twice with different contents.
function(orvane_locate_sdk_headers root)
  if(NOT IS_DIRECTORY "${root}")
    message(FATAL_ERROR "ORVANE_SDK_DIR is not a folder: ${root}\n"
            "Point it at the folder of Adobe's After Effects SDK (or any folder above its headers).")
  endif()
  file(GLOB_RECURSE candidates LIST_DIRECTORIES false "${root}/*.h")
  list(SORT candidates)
  set(missing "")
  set(ambiguous "")
  set(dirs "")
  set(same_as_stand_in "")
  set(naming_stand_in "")
  foreach(header IN LISTS ORVANE_SDK_HEADERS)
    string(REPLACE "." "\\." pattern "${header}")
    set(found ${candidates})
    list(FILTER found INCLUDE REGEX "/${pattern}$")
    if(NOT found)
      string(APPEND missing "\n    ${header}")
      continue()
    endif()
    set(hashes "")
    foreach(path IN LISTS found)
      file(SHA256 "${path}" hash)
      list(APPEND hashes ${hash})
    endforeach()
    list(REMOVE_DUPLICATES hashes)
    list(LENGTH hashes variants)
    if(variants GREATER 1)
      string(APPEND ambiguous "\n    ${header}, ${variants} different files:")
      foreach(path IN LISTS found)
        string(APPEND ambiguous "\n        ${path}")
      endforeach()
      continue()
    endif()
    # Copies with the same contents are one header: the first one found is used.
    list(GET found 0 path)
    get_filename_component(dir "${path}" DIRECTORY)
    list(APPEND dirs "${dir}")
    message(STATUS "SDK header ${header}: ${path}")
    file(SHA256 "${ORVANE_STAND_IN_SDK}/${header}" ours)
    if(hashes STREQUAL ours OR hashes IN_LIST ORVANE_STAND_IN_UNNAMED_DIGESTS)
      list(APPEND same_as_stand_in ${header})
    endif()
    file(STRINGS "${path}" naming REGEX "${ORVANE_STAND_IN_NAME_REGEX}" LIMIT_COUNT 1)
    if(naming)
      list(APPEND naming_stand_in ${header})
    endif()
  endforeach()
  if(missing OR ambiguous)
    string(CONCAT text "ORVANE_SDK_DIR does not give the application build its headers. Each header the "
             "plug-in needs was looked for in every folder below\n    ${root}")
    if(missing)
      string(APPEND text "\n  Not found:${missing}")
    endif()
    if(ambiguous)
      string(APPEND text "\n  Found more than once with different contents (keep one copy, or point "
                         "ORVANE_SDK_DIR at a folder holding only one SDK):${ambiguous}")
    endif()
    string(APPEND text "\nORVANE_SDK_DIR must name the folder of Adobe's After Effects SDK, or a "
                       "folder above its headers. docs/install.md lists the headers the plug-in needs.")
    message(FATAL_ERROR "${text}")
  endif()
  list(REMOVE_DUPLICATES dirs)

  set(markers ${candidates})
  list(FILTER markers INCLUDE REGEX "/${ORVANE_STAND_IN_MARKER}$")
  set(is_stand_in OFF)
  if(markers OR same_as_stand_in OR naming_stand_in)
    set(is_stand_in ON)
    set(why "")
    foreach(path IN LISTS markers)
      string(APPEND why "\n    marker ${path}")
    endforeach()
    if(naming_stand_in)
      string(REPLACE ";" ", " named "${naming_stand_in}")
      string(APPEND why "\n    headers that name OrvaneTavolin: ${named}")
    endif()
    if(same_as_stand_in)
      string(REPLACE ";" ", " same "${same_as_stand_in}")
      string(APPEND why "\n    the same bytes as a header sdk/ holds or held: ${same}")
    endif()
    string(CONCAT text "ORVANE_SDK_DIR holds OrvaneTavolin's own stand-in headers (sdk/ or a "
           "copy of it), not the vendor's SDK:${why}\nA module built against them is for "
           "orvane-host only: the application would call the wrong functions with it.")
    if(NOT ORVANE_ALLOW_STAND_IN_SDK)
      message(FATAL_ERROR "${text}\nNothing is built for the application. Point ORVANE_SDK_DIR at "
                          "Adobe's After Effects SDK; for orvane-host, configure without "
                          "ORVANE_SDK_DIR.")
    endif()
    message(WARNING "${text}\nBuilding anyway (ORVANE_ALLOW_STAND_IN_SDK, for the test of the "
                    "switch); installing is refused.")
  endif()
  set(ORVANE_SDK_INCLUDE_DIRS ${dirs} PARENT_SCOPE)
  set(ORVANE_SDK_IS_STAND_IN ${is_stand_in} PARENT_SCOPE)
endfunction()

if(ORVANE_SDK_DIR STREQUAL "")
  if(ORVANE_REQUIRE_SDK)
    message(FATAL_ERROR "This preset builds the plug-in for the application and needs the "
            "vendor's SDK headers: add -DORVANE_SDK_DIR=<folder of Adobe's After Effects SDK> to "
            "the configure command. (Without a preset, a configure without ORVANE_SDK_DIR is a "
            "stand-in build, for orvane-host only.)")
  endif()
  set(ORVANE_APPLICATION_BUILD OFF)
  set(ORVANE_SDK_INCLUDE_DIRS ${ORVANE_STAND_IN_SDK})
  set(ORVANE_SDK_IS_STAND_IN ON)
  message(STATUS "Stand-in build: host API from sdk/; the modules are for orvane-host only")
else()
  set(ORVANE_APPLICATION_BUILD ON)
  get_filename_component(root "${ORVANE_SDK_DIR}" ABSOLUTE)
  orvane_locate_sdk_headers("${root}")
  message(STATUS "Application build: host API from ${root}")
endif()
