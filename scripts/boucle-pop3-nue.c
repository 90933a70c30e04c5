/* The reference for the scan benchmark: the same POP3 conversation as `vaskor-cli scan` (USER,
 * PASS, STAT, LIST, then TOP n 0 and LIST n for every message, QUIT) in one connection, with
 * nothing done to the answers but finding where they end. What the scan spends beyond this is
 * its own cost.
 *
 *   boucle-pop3-nue [-p] [-q] HOST PORT USER    (password on the first line of standard input)
 *
 * -p: pipelined (RFC 2449): the TOP and LIST of up to 64 messages ahead go out before the
 *     replies are read, in order. -q: TCP_QUICKACK set again before every read, as the client
 *     does (without it, a server that writes a reply's status and block apart under Nagle waits
 *     for our delayed acknowledgement).
 *
 * Prints "count<TAB>total size<TAB>header bytes read"; exits 1 on any failure. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

static int fd, quickack;
static char tampon[1 << 16];
static size_t debut, fin;

static void echec(const char *quoi)
{
    fprintf(stderr, "boucle-pop3-nue: %s\n", quoi);
    exit(1);
}

/* One line without its CR LF, into `ligne` (cut at `taille`). */
static void lire_ligne(char *ligne, size_t taille)
{
    size_t n = 0;
    for (;;) {
        while (debut < fin) {
            char c = tampon[debut++];
            if (c == '\n') {
                if (n > 0 && ligne[n - 1] == '\r') n--;
                ligne[n] = 0;
                return;
            }
            if (n + 1 < taille) ligne[n++] = c;
        }
        if (quickack) {
            int un = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &un, sizeof un);
        }
        ssize_t r = recv(fd, tampon, sizeof tampon, 0);
        if (r <= 0) echec("connection closed");
        debut = 0;
        fin = (size_t)r;
    }
}

static void envoyer(const char *commande)
{
    size_t n = strlen(commande);
    if (send(fd, commande, n, MSG_NOSIGNAL) != (ssize_t)n) echec("send failed");
}

static void commande_ok(const char *commande, char *reponse, size_t taille)
{
    envoyer(commande);
    lire_ligne(reponse, taille);
    if (strncmp(reponse, "+OK", 3) != 0) {
        fprintf(stderr, "boucle-pop3-nue: %s", commande);
        echec(reponse);
    }
}

/* Reads a multi-line answer up to its "." line; returns the bytes of its lines. */
static long lire_suite(void)
{
    char ligne[20000];
    long octets = 0;
    for (;;) {
        lire_ligne(ligne, sizeof ligne);
        if (strcmp(ligne, ".") == 0) return octets;
        octets += (long)strlen(ligne) + 2;
    }
}

/* The reply to a command sent earlier. */
static void reponse_ok(char *reponse, size_t taille)
{
    lire_ligne(reponse, taille);
    if (strncmp(reponse, "+OK", 3) != 0) echec(reponse);
}

int main(int argc, char **argv)
{
    int pipeline = 0;
    while (argc > 1 && argv[1][0] == '-') {
        if (strcmp(argv[1], "-p") == 0) pipeline = 1;
        else if (strcmp(argv[1], "-q") == 0) quickack = 1;
        else break;
        argv++, argc--;
    }
    if (argc != 4) {
        fprintf(stderr, "usage: boucle-pop3-nue [-p] [-q] HOST PORT USER < password\n");
        return 2;
    }
    char mot[512], commande[600], reponse[20000];
    if (!fgets(mot, sizeof mot, stdin)) echec("no password on standard input");
    mot[strcspn(mot, "\r\n")] = 0;

    struct sockaddr_in a;
    memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons((unsigned short)atoi(argv[2]));
    if (inet_pton(AF_INET, argv[1], &a.sin_addr) != 1) echec("HOST must be a numeric IPv4 address");
    fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, (struct sockaddr *)&a, sizeof a) != 0) echec("cannot connect");
    int un = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);

    lire_ligne(reponse, sizeof reponse);
    if (strncmp(reponse, "+OK", 3) != 0) echec(reponse);
    snprintf(commande, sizeof commande, "USER %s\r\n", argv[3]);
    commande_ok(commande, reponse, sizeof reponse);
    snprintf(commande, sizeof commande, "PASS %s\r\n", mot);
    commande_ok(commande, reponse, sizeof reponse);
    commande_ok("STAT\r\n", reponse, sizeof reponse);
    long nombre = atol(reponse + 4);
    commande_ok("LIST\r\n", reponse, sizeof reponse);
    long total = 0;
    {
        char ligne[256];
        for (;;) {
            lire_ligne(ligne, sizeof ligne);
            if (strcmp(ligne, ".") == 0) break;
            const char *espace = strchr(ligne, ' ');
            total += atol(espace ? espace + 1 : ligne);
        }
    }
    long octets = 0;
    if (pipeline) {
        long envoyes = 0;
        for (long n = 1; n <= nombre; n++) {
            char paquet[64 * 48];
            size_t l = 0;
            while (envoyes < nombre && envoyes < n + 63) {
                envoyes++;
                l += (size_t)snprintf(paquet + l, sizeof paquet - l, "TOP %ld 0\r\nLIST %ld\r\n", envoyes, envoyes);
            }
            paquet[l] = 0;
            if (l) envoyer(paquet);
            reponse_ok(reponse, sizeof reponse);
            octets += lire_suite();
            reponse_ok(reponse, sizeof reponse);
        }
        nombre = -nombre; /* the sequential loop below has nothing left to do */
    }
    for (long n = 1; n <= nombre; n++) {
        snprintf(commande, sizeof commande, "TOP %ld 0\r\n", n);
        commande_ok(commande, reponse, sizeof reponse);
        octets += lire_suite();
        snprintf(commande, sizeof commande, "LIST %ld\r\n", n);
        commande_ok(commande, reponse, sizeof reponse);
    }
    commande_ok("QUIT\r\n", reponse, sizeof reponse);
    close(fd);
    printf("%ld\t%ld\t%ld\n", nombre < 0 ? -nombre : nombre, total, octets);
    return 0;
}
