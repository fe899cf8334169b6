#!/usr/bin/python3
"""Checks JSON documents against the schemas in one folder, with Debian's
python3-jsonschema, for as many documents as a test has.

    schemacheck.py FOLDER

Reads one request a line on stdin, {"schema": NAME, "document": TEXT}, and
answers each with one line: a JSON list of what in TEXT does not fit
FOLDER/NAME.schema.json (empty when it fits). A schema that is none is
reported as such. References between the folder's schemas stay in the folder.
"""
import json
import pathlib
import sys

import jsonschema


def violations(folder, name, text):
    path = folder / (name + ".schema.json")
    try:
        schema = json.loads(path.read_text(encoding="utf-8"))
        validator_class = jsonschema.validators.validator_for(schema)
        validator_class.check_schema(schema)
    except (OSError, ValueError, jsonschema.SchemaError) as e:
        return ["%s: no schema: %s" % (path, e)]
    try:
        document = json.loads(text)
    except ValueError as e:
        return ["no JSON: %s" % e]
    resolver = jsonschema.RefResolver(base_uri=folder.as_uri() + "/", referrer=schema)
    validator = validator_class(schema, resolver=resolver)
    return ["%s: %s" % ("/".join(str(p) for p in e.absolute_path) or "(the object)", e.message)
            for e in sorted(validator.iter_errors(document), key=lambda e: list(map(str, e.absolute_path)))]


def main():
    folder = pathlib.Path(sys.argv[1]).resolve()
    for line in sys.stdin:
        request = json.loads(line)
        print(json.dumps(violations(folder, request["schema"], request["document"])), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
