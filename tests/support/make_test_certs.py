"""Makes the certificates of the TLS tests in a folder: a test certification authority (ca.pem)
and server certificates with their keys, each NAME.pem with NAME.key:
  server      signed by the CA for localhost and 127.0.0.1, valid now
  wronghost   signed by the CA for mail.jinde.cz only
  expired     signed by the CA for localhost and 127.0.0.1, expired on 1 January 2020
  selfsigned  signed by itself for localhost and 127.0.0.1
The product trusts the CA through SSL_CERT_FILE or its CA-file setting, never by switching
verification off."""
import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import NameOID

NOW = datetime.datetime.now(datetime.timezone.utc)
DAY = datetime.timedelta(days=1)


def name(common):
    return x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Tervalo test"),
                      x509.NameAttribute(NameOID.COMMON_NAME, common)])


def write(folder, stem, certificate, key):
    with open(os.path.join(folder, stem + ".pem"), "wb") as f:
        f.write(certificate.public_bytes(serialization.Encoding.PEM))
    with open(os.path.join(folder, stem + ".key"), "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))


def certificate(subject, key, issuer, issuer_key, not_before, not_after, names=None, ca=False):
    builder = (x509.CertificateBuilder().subject_name(subject).issuer_name(issuer)
               .public_key(key.public_key()).serial_number(x509.random_serial_number())
               .not_valid_before(not_before).not_valid_after(not_after)
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if ca:
        builder = builder.add_extension(
            x509.KeyUsage(digital_signature=True, content_commitment=False, key_encipherment=False,
                          data_encipherment=False, key_agreement=False, key_cert_sign=True,
                          crl_sign=True, encipher_only=False, decipher_only=False), critical=True)
    if names:
        builder = builder.add_extension(x509.SubjectAlternativeName(names), critical=False)
    return builder.sign(issuer_key, hashes.SHA256())


def main(folder):
    local = [x509.DNSName("localhost"), x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]
    ca_key = ec.generate_private_key(ec.SECP256R1())
    ca_name = name("Tervalo test CA")
    ca = certificate(ca_name, ca_key, ca_name, ca_key, NOW - DAY, NOW + 30 * DAY, ca=True)
    with open(os.path.join(folder, "ca.pem"), "wb") as f:
        f.write(ca.public_bytes(serialization.Encoding.PEM))

    def signed(stem, names, not_before, not_after):
        key = ec.generate_private_key(ec.SECP256R1())
        write(folder, stem, certificate(name(stem), key, ca_name, ca_key, not_before, not_after, names), key)

    signed("server", local, NOW - DAY, NOW + 30 * DAY)
    signed("wronghost", [x509.DNSName("mail.jinde.cz")], NOW - DAY, NOW + 30 * DAY)
    signed("expired", local, datetime.datetime(2019, 1, 1, tzinfo=datetime.timezone.utc),
           datetime.datetime(2020, 1, 1, tzinfo=datetime.timezone.utc))
    key = ec.generate_private_key(ec.SECP256R1())
    own = name("selfsigned")
    write(folder, "selfsigned", certificate(own, key, own, key, NOW - DAY, NOW + 30 * DAY, local), key)


if __name__ == "__main__":
    main(sys.argv[1])
