# The plug-in and the one static library behind it.
#
# juce_add_plugin makes the shared-code target `TavorinProV3`: a static library that holds the
# JUCE modules and all product code, compiled once. The format wrappers (VST3, LV2, Standalone,
# AU on Apple) link it; so do the tests, the benchmarks and the tools, through `TavorinCore`.

# Hosts store these identities in their projects: they never change.
set(TAVORIN_COMPANY_NAME      "Tavorin Audio")
set(TAVORIN_COMPANY_WEBSITE   "https://tavorin.audio")
set(TAVORIN_BUNDLE_ID         "audio.tavorin.TavorinProV3")
set(TAVORIN_MANUFACTURER_CODE "Tvrn")
set(TAVORIN_PLUGIN_CODE       "Tpv3")
set(TAVORIN_LV2_URI           "https://tavorin.audio/plugins/TavorinProV3")

set(TAVORIN_FORMATS VST3 LV2 Standalone)
if(APPLE)
    list(APPEND TAVORIN_FORMATS AU)
endif()

juce_add_plugin(TavorinProV3
    PRODUCT_NAME "TavorinProV3"
    VERSION "${PROJECT_VERSION}"
    DESCRIPTION "Analogue tape machine"
    COMPANY_NAME "${TAVORIN_COMPANY_NAME}"
    COMPANY_WEBSITE "${TAVORIN_COMPANY_WEBSITE}"
    BUNDLE_ID "${TAVORIN_BUNDLE_ID}"
    PLUGIN_MANUFACTURER_CODE "${TAVORIN_MANUFACTURER_CODE}"
    PLUGIN_CODE "${TAVORIN_PLUGIN_CODE}"
    IS_SYNTH FALSE
    NEEDS_MIDI_INPUT FALSE
    NEEDS_MIDI_OUTPUT FALSE
    IS_MIDI_EFFECT FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS FALSE
    VST3_CATEGORIES Fx
    AU_MAIN_TYPE kAudioUnitType_Effect
    AU_EXPORT_PREFIX TavorinProV3AU
    LV2URI "${TAVORIN_LV2_URI}"
    COPY_PLUGIN_AFTER_BUILD FALSE
    FORMATS ${TAVORIN_FORMATS})

# Debian's JUCE ignores LV2URI and would name the plug-in by a relative URI.
target_compile_definitions(TavorinProV3 PRIVATE JucePlugin_LV2URI="${TAVORIN_LV2_URI}")
if(TARGET TavorinProV3_LV2)
    target_compile_definitions(TavorinProV3_LV2 PRIVATE JucePlugin_LV2URI="${TAVORIN_LV2_URI}")
endif()

# Every source file of the product folders belongs to the library.
file(GLOB_RECURSE TAVORIN_SOURCES CONFIGURE_DEPENDS
    "${CMAKE_SOURCE_DIR}/plugin/*.cpp"
    "${CMAKE_SOURCE_DIR}/dsp/*.cpp"
    "${CMAKE_SOURCE_DIR}/presets/*.cpp"
    "${CMAKE_SOURCE_DIR}/editor/*.cpp")
target_sources(TavorinProV3 PRIVATE ${TAVORIN_SOURCES})

target_include_directories(TavorinProV3 PUBLIC "${CMAKE_SOURCE_DIR}" "${FFTW3_INCLUDE_DIR}")

target_compile_definitions(TavorinProV3 PUBLIC
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_USE_FLAC=1
    JUCE_USE_OGGVORBIS=0
    JUCE_USE_MP3AUDIOFORMAT=0
    JUCE_USE_LAME_AUDIO_FORMAT=0
    JUCE_USE_WINDOWS_MEDIA_FORMAT=0
    JUCE_MODAL_LOOPS_PERMITTED=1
    JUCE_DSP_USE_STATIC_FFTW=1
    # The test host and the measuring tools load the built bundles through JUCE's hosting classes.
    JUCE_PLUGINHOST_VST3=1
    JUCE_PLUGINHOST_LV2=1)

target_link_libraries(TavorinProV3
    PRIVATE
        juce::juce_audio_utils
        juce::juce_audio_processors
        juce::juce_audio_formats
        juce::juce_dsp
        juce::juce_gui_extra
    PUBLIC
        juce::juce_recommended_config_flags
        juce::juce_recommended_warning_flags
        PkgConfig::AUDIO_CODECS
        "${FFTW3F_THREADS_STATIC}"
        "${FFTW3F_STATIC}"
        juce::pkgconfig_JUCE_IMG_LINUX_DEPS)

if(UNIX AND NOT APPLE)
    # Keep the statically linked FFTW private to each binary, so a host's own FFTW never interposes.
    target_link_options(TavorinProV3 INTERFACE "LINKER:--exclude-libs,libfftw3f.a:libfftw3f_threads.a")
endif()

# Everything else links the library through these targets: JUCE's headers and definitions come
# with them, JUCE's sources do not. The resource generators link TavorinLibrary (they run before
# the resources exist); the tests, benchmarks and tools link TavorinCore, which adds the resources.
add_library(TavorinLibrary INTERFACE)
target_link_libraries(TavorinLibrary INTERFACE TavorinProV3)
target_include_directories(TavorinLibrary INTERFACE $<TARGET_PROPERTY:TavorinProV3,INCLUDE_DIRECTORIES>)
target_compile_definitions(TavorinLibrary INTERFACE $<TARGET_PROPERTY:TavorinProV3,COMPILE_DEFINITIONS>)

add_library(TavorinCore INTERFACE)
target_link_libraries(TavorinCore INTERFACE TavorinLibrary TavorinResources)

foreach(format IN LISTS TAVORIN_FORMATS)
    if(TARGET TavorinProV3_${format})
        target_link_libraries(TavorinProV3_${format} PRIVATE TavorinResources)
    endif()
endforeach()
