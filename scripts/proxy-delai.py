#!/usr/bin/env python3
"""A TCP relay for the scan benchmark that makes a local server look distant or old-fashioned.

    proxy-delai.py --ecoute PORT --vers HOTE:PORT [--rtt MS] [--nagle] [--sans-capa]

--rtt MS     every byte takes MS/2 milliseconds each way, so a command and its reply take one
             round trip of MS milliseconds (bandwidth is not limited).
--nagle      plays the many servers that write a reply's status line and its block in two writes
             with Nagle's algorithm on: the block then waits for the client's acknowledgement.
--sans-capa  answers CAPA with -ERR itself, as a server without it would.

Prints "pret" on standard output once it listens; runs until killed.
"""

import argparse
import asyncio
import socket


async def relayer(lecteur, ecrivain, delai, decouper, filtre=None):
    """Copies lecteur to ecrivain, each piece `delai` seconds later than it came."""
    boucle = asyncio.get_running_loop()
    file = asyncio.Queue()

    async def lire():
        while True:
            donnees = await lecteur.read(65536)
            if filtre and donnees:
                donnees = filtre(donnees)
                if donnees is None:
                    continue
            await file.put((boucle.time() + delai, donnees))
            if not donnees:
                return

    async def ecrire():
        while True:
            quand, donnees = await file.get()
            attente = quand - boucle.time()
            if attente > 0:
                await asyncio.sleep(attente)
            if not donnees:
                try:
                    ecrivain.write_eof()
                except OSError:
                    pass
                return
            fin = donnees.find(b"\r\n") + 2 if decouper else 0
            if 2 <= fin < len(donnees):
                # Two writes: the status line goes at once, the block waits for its acknowledgement.
                ecrivain.write(donnees[:fin])
                await asyncio.sleep(0)
                ecrivain.write(donnees[fin:])
            else:
                ecrivain.write(donnees)
            await ecrivain.drain()

    await asyncio.gather(lire(), ecrire(), return_exceptions=True)
    ecrivain.close()


async def servir(args):
    hote, port = args.vers.rsplit(":", 1)
    delai = args.rtt / 2000.0

    async def client(lecteur_c, ecrivain_c):
        sock = ecrivain_c.get_extra_info("socket")
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 0 if args.nagle else 1)
        lecteur_s, ecrivain_s = await asyncio.open_connection(hote, int(port))
        ecrivain_s.get_extra_info("socket").setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def sans_capa(donnees):
            if donnees.strip().upper() == b"CAPA":
                ecrivain_c.write(b"-ERR commande inconnue\r\n")
                return None  # the server never sees it
            return donnees

        filtre = sans_capa if args.sans_capa else None
        await asyncio.gather(relayer(lecteur_c, ecrivain_s, delai, False, filtre),
                             relayer(lecteur_s, ecrivain_c, delai, args.nagle))

    serveur = await asyncio.start_server(client, "127.0.0.1", args.ecoute)
    print("pret", flush=True)
    async with serveur:
        await serveur.serve_forever()


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--ecoute", type=int, required=True)
    p.add_argument("--vers", required=True)
    p.add_argument("--rtt", type=float, default=0.0)
    p.add_argument("--nagle", action="store_true")
    p.add_argument("--sans-capa", action="store_true")
    asyncio.run(servir(p.parse_args()))


if __name__ == "__main__":
    main()
