# The editor's font: Manrope SemiBold (SIL Open Font License 1.1), a wide geometric sans from
# Debian's package fonts-manrope. The build reads it from the installed package; no copy of it
# lives in this repository.
find_file(TAVORIN_PANEL_FONT Manrope-SemiBold.ttf
    PATHS /usr/share/fonts/truetype/manrope
    NO_DEFAULT_PATH
    DOC "Manrope SemiBold from the Debian package fonts-manrope (scripts/deps.sh installs it)"
    REQUIRED)
