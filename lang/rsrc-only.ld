/* Links a language module: the resource section and nothing else, so the
   module carries no code, no import or export table and no entry point. */
SECTIONS
{
  .rsrc __image_base__ + __section_alignment__ : { *(.rsrc) *(SORT(.rsrc$*)) }
  /DISCARD/ : { *(*) }
}
