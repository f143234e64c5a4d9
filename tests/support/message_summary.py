"""Reads one message file with Python's email package and prints what a mail reader sees as JSON:
every defect, the decoded header values and each leaf part (type, charset, file name, decoded
content: text as text, anything else in base64)."""
import base64
import email.parser
import email.policy
import json
import sys


def main(path):
    with open(path, "rb") as f:
        message = email.parser.BytesParser(policy=email.policy.default).parse(f)
    defects = []
    parts = []
    for part in message.walk():
        defects += [type(d).__name__ for d in part.defects]
        for name, value in part.items():
            defects += ["%s: %s" % (name, type(d).__name__) for d in getattr(value, "defects", ())]
        if part.is_multipart():
            continue
        content = part.get_content()
        parts.append({
            "content_type": part.get_content_type(),
            "charset": part.get_content_charset(),
            "disposition": part.get_content_disposition(),
            "filename": part.get_filename(),
            "text": content if isinstance(content, str) else None,
            "base64": base64.b64encode(content).decode() if isinstance(content, bytes) else None,
        })
    print(json.dumps({
        "defects": defects,
        "content_type": message.get_content_type(),
        "from": str(message["from"]),
        "to": str(message["to"]),
        "cc": str(message["cc"]) if message["cc"] is not None else None,
        "subject": str(message["subject"]) if message["subject"] is not None else None,
        "date": str(message["date"]),
        "message_id": str(message["message-id"]),
        "parts": parts,
    }, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
