#!/usr/bin/env python3
"""SMTP server of scripts/mail-server: implicit TLS on SMTPS_PORT, STARTTLS on SUBMISSION_PORT,
login required (MAIL_USER / MAIL_PASSWORD), every message delivered into MAIL_USER's mailbox
through Dovecot's LMTP socket in MAIL_FOLDER/run. Runs until it is sent SIGTERM."""
import os
import signal
import smtplib
import ssl
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

folder = os.environ["MAIL_FOLDER"]
user = os.environ["MAIL_USER"]
password = os.environ["MAIL_PASSWORD"]


class Deliver:
    async def handle_DATA(self, server, session, envelope):
        try:
            with smtplib.LMTP(os.path.join(folder, "run", "lmtp")) as lmtp:
                lmtp.sendmail(envelope.mail_from, [user], envelope.original_content)
        except (OSError, smtplib.SMTPException) as e:
            return "451 consegna non riuscita: %s" % e
        return "250 OK"


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword)
          and auth_data.login.decode() == user
          and auth_data.password.decode() == password)
    return AuthResult(success=ok, handled=False)


def context():
    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem"))
    return ctx


common = dict(hostname="127.0.0.1", server_hostname="localhost", authenticator=authenticate,
              auth_required=True, data_size_limit=40 * 1024 * 1024)
implicit = Controller(Deliver(), port=int(os.environ["SMTPS_PORT"]), ssl_context=context(),
                      auth_require_tls=False, **common)
starttls = Controller(Deliver(), port=int(os.environ["SUBMISSION_PORT"]), tls_context=context(),
                      require_starttls=True, auth_require_tls=True, **common)
with open(os.path.join(folder, "smtp.pid"), "w") as f:
    f.write(str(os.getpid()))
implicit.start()
starttls.start()
done = threading.Event()
signal.signal(signal.SIGTERM, lambda *_: done.set())
signal.signal(signal.SIGINT, lambda *_: done.set())
done.wait()
implicit.stop()
starttls.stop()
