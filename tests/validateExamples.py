#!/usr/bin/env python3
"""Every examples/*/exhibition.json against docs/exhibition.schema.json, and the schema
against a file it must refuse, so that a schema that accepts anything fails too."""
import glob
import json
import os
import sys

import jsonschema

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
with open(os.path.join(root, "docs", "exhibition.schema.json")) as f:
    schema = json.load(f)
jsonschema.Draft202012Validator.check_schema(schema)
examples = sorted(glob.glob(os.path.join(root, "examples", "*", "exhibition.json")))
if not examples:
    sys.exit("no examples/*/exhibition.json found")
for name in examples:
    with open(name) as f:
        document = json.load(f)
    errors = list(jsonschema.Draft202012Validator(schema).iter_errors(document))
    for error in errors:
        print(f"{name}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
    if errors:
        sys.exit(1)
    print(f"{name}: valid")
    document["lights"] = document["lights"] * 5
    if jsonschema.Draft202012Validator(schema).is_valid(document):
        sys.exit(f"{name} with 5 lights passes the schema")
