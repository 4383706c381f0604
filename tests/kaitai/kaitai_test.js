// The Kaitai Struct descriptions in kaitai/ against the program: each model of the table below is
// made, split, and parsed with both descriptions; every section's start and end must be where
// `info --json` puts it, and the index's fields what the same document gives.
//
//   node kaitai_test.js CLI MAKE_BENCH_MODEL WORK_DIR
//
// WORK_DIR holds node_modules with kaitai-struct-compiler, kaitai-struct and js-yaml (reached
// through NODE_PATH); the parsers are compiled into it, and the models are made there.
"use strict";
const fs = require("fs");
const path = require("path");
const { execFileSync } = require("child_process");
const yaml = require("js-yaml");
const compiler = require("kaitai-struct-compiler");
const KaitaiStream = require("kaitai-struct/KaitaiStream");

const [cli, maker, work] = process.argv.slice(2).map((arg) => path.resolve(arg));
const descriptions = path.join(__dirname, "..", "..", "kaitai");

// Each model: what make-bench-model is asked for (in MiB), then the edits that make it what its
// name says, done as a modder would: on the section files of its split (`append` zero bytes,
// then `recount` with these options and a join), or on the model (`unowned` bytes put in front
// of bbox).
const models = [
  { name: "zero counts", mebibytes: 0 },
  { name: "every section", mebibytes: 0.01 },
  { name: "no value3", mebibytes: 0.01, recount: ["--drop-value3"] },
  {
    name: "NumExtra 3 and NumValue3 1, no vertex",
    mebibytes: 0,
    append: { "additional.bin": 36, "value3.bin": 8 },
    recount: ["--add-value3"],
  },
  { name: "bytes in no section", mebibytes: 0.01, unowned: 13 },
  { name: "the largest test model", mebibytes: 256 },
];

// Runs a program and returns its standard output; a failure throws with its standard error.
const run = (program, ...args) =>
  execFileSync(program, args, { encoding: "utf8", stdio: ["ignore", "pipe", "pipe"] });
const info = (file) => JSON.parse(run(cli, "info", "--json", file));
const lowerFirst = (name) => name[0].toLowerCase() + name.slice(1);
const upperFirst = (name) => name[0].toUpperCase() + name.slice(1);

// Returns the class that the description `name`.ksy compiles to, recording fields' places.
async function parserOf(name) {
  const ksy = yaml.load(fs.readFileSync(path.join(descriptions, `${name}.ksy`), "utf8"));
  const files = await compiler.compile("javascript", ksy, null, true);
  const [[fileName, source]] = Object.entries(files);
  fs.writeFileSync(path.join(work, fileName), source);
  return Object.values(require(path.join(work, fileName)))[0];
}

function parse(Parser, file) {
  const bytes = fs.readFileSync(file);
  const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length);
  const parsed = new Parser(new KaitaiStream(buffer));
  parsed._read();
  return parsed;
}

// Returns the path of the model `row` describes, made in the folder `dir`.
function make(row, dir) {
  const model = path.join(dir, "model.p");
  run(maker, model, String(row.mebibytes));
  if (row.recount) {
    run(cli, "split", "--own-folder", model);
    for (const [file, bytes] of Object.entries(row.append || {})) {
      fs.appendFileSync(path.join(dir, "model", file), Buffer.alloc(bytes));
    }
    run(cli, "recount", ...row.recount, path.join(dir, "model", "model.asm"));
    run(cli, "join", path.join(dir, "model", "model.asm"), model);
  }
  if (row.unowned) {
    const bbox = info(model).sections.find((s) => s.file === "bbox.bin").offset;
    const bytes = fs.readFileSync(model);
    const unowned = Buffer.alloc(row.unowned, 0xa5);
    const parts = [bytes.subarray(0, bbox), unowned, bytes.subarray(bbox)];
    fs.writeFileSync(model, Buffer.concat(parts));
  }
  return model;
}

// Returns the differences between the model and index parsed from `model` and its split and
// what `info --json` says of the model, one line each; the index must end with the file.
function differences(Model, Index, model) {
  const want = info(model);
  const got = parse(Model, model);
  run(cli, "split", model);
  const index = parse(Index, model.replace(/\.p$/, ".asm"));
  const found = [];
  const expect = (what, value, wanted) => {
    if (value !== wanted) found.push(`${what} is ${value}, not ${wanted}`);
  };
  for (const [name, value] of Object.entries(want.counts)) {
    expect(`header.${lowerFirst(name)}`, got.header[lowerFirst(name)], value);
  }
  expect("index.modelType", index.modelType, want.counts.ModelType);
  for (const { file, present, offset, length } of want.sections) {
    const field = file.replace(/\.bin$/, "");
    const place = got._debug[field];
    expect(`${field} present`, got[field] !== undefined && place !== undefined, present);
    if (present && place) {
      expect(`${field}'s start`, place.start, offset);
      expect(`${field}'s end`, place.end, offset + length);
    }
    if (field === "value3") expect("index.hasValue3", index.hasValue3, present ? 1 : 0);
    const lengthField = `len${upperFirst(field)}`;
    if (field !== "header") expect(`index.${lengthField}`, index[lengthField], length);
  }
  const unowned = got._debug.unowned;
  expect("unowned's length", unowned.end - unowned.start, want.unownedBytes.count);
  if (want.unownedBytes.count > 0) {
    expect("unowned's start", unowned.start, want.unownedBytes.first);
    expect("unowned's end", unowned.end, want.unownedBytes.last + 1);
  }
  expect("the index's end", index._io.pos, index._io.size);
  return found;
}

(async () => {
  const Model = await parserOf("model");
  const Index = await parserOf("index");
  let passed = 0;
  for (const [n, row] of models.entries()) {
    const dir = fs.mkdtempSync(path.join(work, `model-${n}-`));
    let found;
    try {
      found = differences(Model, Index, make(row, dir));
    } catch (error) {
      found = [String(error.message || error)];
    }
    fs.rmSync(dir, { recursive: true });
    console.log(`${found.length ? "FAIL" : "ok  "} ${row.name}`);
    for (const line of found) console.log(`     ${line}`);
    passed += found.length ? 0 : 1;
  }
  console.log(`${passed} passed, ${models.length - passed} failed`);
  process.exitCode = passed === models.length ? 0 : 1;
})().catch((error) => {
  console.error(error);
  process.exitCode = 1;
});
