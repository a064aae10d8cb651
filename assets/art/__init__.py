"""MOSSGATE's artwork, drawn in ImageMagick's vector language (see make_artwork)."""
