meta:
  id: cindervaxel_model
  title: Cindervaxel model file (.p)
  file-extension: p
  license: MIT
  endian: le
doc: |
  A model is one binary `.p` file: a 128-byte header whose counts say where nine data sections
  lie. A split writes each section into a file of its own, named as the field here with `.bin`
  behind it (`header.bin`, `additional.bin`, ... `unknown.bin`).

  The first eight lie one behind the other from offset 0; bbox and unknown are placed from the
  end of the file. Bytes between the end of fiftysix and bbox belong to no section: a split
  names them in a note, and a join leaves them out.
doc-ref: README.md, "The layout of a model"
seq:
  - id: header
    type: header
    doc: header.bin, the 128-byte header, from offset 0.
  - id: additional
    size: 12
    repeat: expr
    repeat-expr: header.num_verts + header.num_extra
    doc: additional.bin, 12 bytes for each of NumVerts + NumExtra, behind the header.
  - id: value3
    size: 8
    repeat: expr
    repeat-expr: header.num_value3
    if: header.num_value3 > 0
    doc: |
      value3.bin, 8 bytes for each of NumValue3, behind additional. value3 is there only when
      NumValue3 is above 0; otherwise it takes no room and there is no `value3.bin`.
  - id: color
    size: 4
    repeat: expr
    repeat-expr: header.num_verts + header.num_polys
    doc: color.bin, 4 bytes for each of NumVerts + NumPolys, behind value3.
  - id: edges
    size: 4
    repeat: expr
    repeat-expr: header.num_lines
    doc: edges.bin, 4 bytes for each of NumLines, behind color.
  - id: poly
    size: 24
    repeat: expr
    repeat-expr: header.num_polys
    doc: poly.bin, 24 bytes for each of NumPolys, behind edges.
  - id: hundrets
    type: hundret
    repeat: expr
    repeat-expr: header.num_hundrets
    doc: hundrets.bin, 100 bytes (25 words) for each of NumHundrets, behind poly.
  - id: fiftysix
    type: fiftysix
    doc: |
      fiftysix.bin, 56 bytes (14 words) for each of NumHundrets + 4 bytes, behind hundrets.
      fiftysix has one word more than its elements: 56 × NumHundrets + 4 bytes, also when
      NumHundrets is 0.
  - id: unowned
    size: _io.size - 24 - 4 * header.num_verts - _io.pos
    doc: |
      Bytes between the end of fiftysix and bbox belong to no section: a split names them in a
      note, and a join leaves them out. Usually there are none.
  - id: bbox
    type: bbox
    doc: bbox.bin, 24 bytes (six words), the 24 bytes in front of unknown.
  - id: unknown
    size: 4
    repeat: expr
    repeat-expr: header.num_verts
    doc: unknown.bin, 4 bytes for each of NumVerts, the file's last 4 × NumVerts bytes.
types:
  header:
    doc: |
      The header's words are little-endian signed 32-bit integers; seven of them matter. The
      counts give each section's length; the other bytes pass through unchanged.
    seq:
      - id: opaque_0
        size: 8
        doc: Bytes at offset 0 that pass through unchanged.
      - id: model_type
        type: s4
        doc: ModelType, at offset 8. The index keeps it in a byte.
      - id: num_verts
        type: s4
        doc: NumVerts, at offset 12.
      - id: num_extra
        type: s4
        doc: NumExtra, at offset 16.
      - id: opaque_20
        size: 4
        doc: Bytes at offset 20 that pass through unchanged.
      - id: num_value3
        type: s4
        doc: NumValue3, at offset 24. value3 is there only when it is above 0.
      - id: opaque_28
        size: 4
        doc: Bytes at offset 28 that pass through unchanged.
      - id: num_lines
        type: s4
        doc: NumLines, at offset 32.
      - id: num_polys
        type: s4
        doc: NumPolys, at offset 36.
      - id: opaque_40
        size: 8
        doc: Bytes at offset 40 that pass through unchanged.
      - id: num_hundrets
        type: s4
        doc: NumHundrets, at offset 48.
      - id: opaque_52
        size: 76
        doc: Bytes at offset 52 to the header's end at 128 that pass through unchanged.
  hundret:
    doc: One element of hundrets, 100 bytes.
    seq:
      - id: words
        type: s4
        repeat: expr
        repeat-expr: 25
        doc: The element's 25 words.
  fiftysix:
    doc: fiftysix, NumHundrets elements and one word more.
    seq:
      - id: elements
        type: fiftysix_element
        repeat: expr
        repeat-expr: _root.header.num_hundrets
        doc: 56 bytes (14 words) for each of NumHundrets.
      - id: extra_word
        type: s4
        doc: The word behind the elements, there also when NumHundrets is 0.
  fiftysix_element:
    doc: One element of fiftysix, 56 bytes.
    seq:
      - id: words
        type: s4
        repeat: expr
        repeat-expr: 14
        doc: The element's 14 words.
  bbox:
    doc: bbox, 24 bytes.
    seq:
      - id: words
        type: s4
        repeat: expr
        repeat-expr: 6
        doc: Its six words.
