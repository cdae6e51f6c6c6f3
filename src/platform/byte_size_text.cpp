// byte-size text
