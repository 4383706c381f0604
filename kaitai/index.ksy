meta:
  id: cindervaxel_index
  title: Cindervaxel index file (.asm)
  file-extension: asm
  license: MIT
  endian: le
  encoding: ASCII
doc: |
  The index file (`robot.asm`) is 64 bytes: the signature `CINDERVAXEL ` and version `1.00`,
  nine flag bytes (among them the ModelType and whether the set has a `value3.bin`), the nine
  section lengths as such words (`header.bin`'s, always 128, is not stored) and three reserved
  bytes. A split writes it beside the section files, named after the model; a join reads it.
doc-ref: README.md, "The layout of a model"
seq:
  - id: signature
    type: str
    size: 12
    valid: '"CINDERVAXEL "'
    doc: The signature `CINDERVAXEL `, 12 characters with no terminator.
  - id: version
    type: str
    size: 4
    valid: '"1.00"'
    doc: The version `1.00`, 4 characters with no terminator.
  - id: header_flag
    type: u1
    doc: A flag byte; a split writes 1.
  - id: has_value3
    type: u1
    doc: |
      Whether the set has a `value3.bin`: 1 when it does (the model's NumValue3 is above 0),
      0 when it does not.
  - id: model_type
    type: u1
    doc: The ModelType of the header, 0 to 255.
  - id: reserved1
    type: u1
    doc: A flag byte; a split writes 0.
  - id: flag5
    type: u1
    doc: A flag byte; a split writes 1.
  - id: flag6
    type: u1
    doc: A flag byte; a split writes 1.
  - id: flag7
    type: u1
    doc: A flag byte; a split writes 1.
  - id: flag8
    type: u1
    doc: A flag byte; a split writes 1.
  - id: flag9
    type: u1
    doc: A flag byte; a split writes 1.
  - id: len_additional
    type: s4
    doc: The length in bytes of `additional.bin`.
  - id: len_value3
    type: s4
    doc: The length in bytes of `value3.bin`, 0 when the set has none.
  - id: len_color
    type: s4
    doc: The length in bytes of `color.bin`.
  - id: len_edges
    type: s4
    doc: The length in bytes of `edges.bin`.
  - id: len_poly
    type: s4
    doc: The length in bytes of `poly.bin`.
  - id: len_hundrets
    type: s4
    doc: The length in bytes of `hundrets.bin`.
  - id: len_fiftysix
    type: s4
    doc: The length in bytes of `fiftysix.bin`.
  - id: len_bbox
    type: s4
    doc: The length in bytes of `bbox.bin`, 24.
  - id: len_unknown
    type: s4
    doc: The length in bytes of `unknown.bin`.
  - id: reserved2
    type: u1
    doc: A reserved byte; a split writes 0.
  - id: reserved3
    type: u1
    doc: A reserved byte; a split writes 0.
  - id: reserved4
    type: u1
    doc: A reserved byte; a split writes 0.
